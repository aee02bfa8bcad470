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

// A message box has closed: the window it belongs to takes the keyboard back,
// also where no window manager hands it over.
void giveBackKeyboard(QWidget* parent) {
    if (parent)
        parent->window()->activateWindow();
}

class QtPlatform final : public PlatformServices {
public:
    void showError(QWidget* parent, const QString& message) override {
        QMessageBox::critical(parent, QApplication::applicationDisplayName(),
                              errorBoxText(message));
        giveBackKeyboard(parent);
    }
    void showMessage(QWidget* parent, const QString& message) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), message,
                        QMessageBox::Ok, parent);
        box.exec();
        giveBackKeyboard(parent);
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
    QString clipboardText() override { return QGuiApplication::clipboard()->text(); }
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        giveBackKeyboard(parent);
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
