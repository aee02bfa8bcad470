#pragma once
// Shared pieces of the window tests: a recording platform, a fresh program
// folder per test, and the user's gestures on the controls.
#include "AppSetup.h"
#include "Platform.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace hakomaru::test {

// Records what the windows ask of the platform instead of doing it.
class RecordingPlatform final : public PlatformServices {
  public:
    QStringList errors;
    QStringList messages;
    QStringList opened;
    bool shellOpens = true; // whether a program takes what is opened
    QStringList clipboard;

    void showError(QWidget*, const QString& message) override { errors << message; }
    void showMessage(QWidget*, const QString& message) override { messages << message; }
    bool shellOpen(const QString& pathOrAddress) override {
        opened << pathOrAddress;
        return shellOpens;
    }
    void setClipboardText(const QString& text) override { clipboard << text; }
    QString clipboardText() override { return clipboard.isEmpty() ? QString() : clipboard.last(); }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override { return std::nullopt; }
    QString fileVersion() override { return QStringLiteral("1.0.0.0"); }
};

// A program folder holding a copy of the test tariff and, when asked, a
// settings file.
class ProgramFolder {
  public:
    ProgramFolder() {
        QFile::copy(QStringLiteral(HAKOMARU_UI_TEST_DATA "/Charge.ini"), path("Charge.ini"));
        QFile(path("Charge.ini")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    std::filesystem::path settingsPath() const { return path("hakomaru.ini").toStdString(); }
    std::filesystem::path tariffPath() const { return path("Charge.ini").toStdString(); }

    // Writes a file from UTF-8 text, stored as code page 932 with CR LF.
    void writeSjis(const QString& name, const QString& utf8Text) const;
    QString readSjis(const QString& name) const;

    // Replaces bytes of the tariff copy (both texts UTF-8, compared as code
    // page 932): a way to break one field.
    void patchTariff(const QString& from, const QString& to) const;

  private:
    QTemporaryDir dir_;
};

// Picks a row of a list the way a user does: open it, move to the row,
// press Enter.
inline void pick(QComboBox* list, int row) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    QTRY_VERIFY(view->isVisible());
    view->setCurrentIndex(list->model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
}

// Clicks a check box on its box, where a user aims.
inline void click(QWidget* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// Clicks into an edit (which selects its text) and types.
inline void typeInto(QWidget* edit, const QString& keys) {
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClicks(edit, keys);
}

// Qt warns on every run without a private runtime folder.
inline void prepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        static QTemporaryDir runtime;
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace hakomaru::test

// main() for a window test: a private runtime folder, the application set
// up as the program does it, then the test object.
#define HAKOMARU_UI_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char** argv) {                                                              \
        hakomaru::test::prepareEnvironment();                                                      \
        QApplication app(argc, argv);                                                              \
        hakomaru::setUpApplication();                                                              \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
