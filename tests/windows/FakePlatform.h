#pragma once
// Platform services that record what the windows ask for and answer the
// colour chooser from the test, so no box or browser ever opens.
#include "Platform.h"

#include <QStringList>

namespace hakomaru::test {

class FakePlatform : public PlatformServices {
  public:
    FakePlatform() { previous_ = setPlatform(this); }
    ~FakePlatform() override { setPlatform(previous_); }

    void showError(QWidget*, const QString& message) override { errors << message; }
    void showMessage(QWidget*, const QString& message) override { messages << message; }
    bool shellOpen(const QString& pathOrAddress) override {
        opened << pathOrAddress;
        return shellOpens;
    }
    void setClipboardText(const QString& text) override { clipboard = text; }
    QString clipboardText() override { return clipboard; }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override {
        ++colorRequests;
        return colorAnswer;
    }
    QString fileVersion() override { return {}; }

    QStringList errors;
    QStringList messages;
    QStringList opened;
    bool shellOpens = true; // whether a program takes what is opened
    QString clipboard;
    std::optional<QColor> colorAnswer;
    int colorRequests = 0;

  private:
    PlatformServices* previous_ = nullptr;
};

} // namespace hakomaru::test
