#include "Platform.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace hakomaru {
namespace {

class QtPlatform final : public PlatformServices {
public:
    void showError(QWidget* parent, const QString& message) override {
        QMessageBox::critical(parent, QApplication::applicationDisplayName(),
                              errorBoxText(message));
    }
    void showMessage(QWidget* parent, const QString& message) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), message,
                        QMessageBox::Ok, parent);
        box.exec();
    }
    void shellOpen(const QString& pathOrAddress) override {
        // A web address opens in the browser; anything else is a local document.
        const QUrl url(pathOrAddress);
        if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
            QDesktopServices::openUrl(url);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(pathOrAddress));
    }
    void setClipboardText(const QString& text) override {
        QGuiApplication::clipboard()->setText(text);
    }
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    }
    QString fileVersion() override { return QCoreApplication::applicationVersion(); }
};

QtPlatform qtPlatform;
PlatformServices* current = &qtPlatform;

} // namespace

PlatformServices& platform() { return *current; }

PlatformServices* setPlatform(PlatformServices* services) {
    PlatformServices* previous = current;
    current = services ? services : &qtPlatform;
    return previous;
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar('.'))
        return message + QChar('.');
    return message;
}

} // namespace hakomaru
