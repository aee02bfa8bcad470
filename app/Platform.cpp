#include "Platform.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace hakomaru {
namespace {

// An address ("https://...", "file:///...") as it is; anything else is a
// local path. A drive letter ("C:/...") is a path, not a scheme.
bool isAddress(const QString& pathOrAddress) {
    const QUrl url(pathOrAddress);
    return url.isValid() && url.scheme().size() > 1;
}

QUrl pageUrl(const QString& pathOrAddress) {
    return isAddress(pathOrAddress) ? QUrl(pathOrAddress) : QUrl::fromLocalFile(pathOrAddress);
}

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
        // A path or an address in the message can be copied.
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.exec();
        giveBackKeyboard(parent);
    }
    bool shellOpen(const QString& pathOrAddress) override {
        // Qt answers false where it finds no program to hand the page to.
        return QDesktopServices::openUrl(pageUrl(pathOrAddress));
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

void openPage(QWidget* parent, const QString& pathOrAddress, const QString& section) {
    QString page = pathOrAddress;
    if (!section.isEmpty()) {
        QUrl url = pageUrl(pathOrAddress);
        url.setFragment(section);
        page = url.toString();
    }
    if (!platform().shellOpen(page))
        platform().showMessage(parent, pageNotShownText(pathOrAddress, section));
}

QString pageNotShownText(const QString& pathOrAddress, const QString& section) {
    if (isAddress(pathOrAddress) && !pageUrl(pathOrAddress).isLocalFile())
        return QStringLiteral("このアドレスを開くプログラムが見つかりません。"
                              "ブラウザーで開いてください：\n%1")
            .arg(pathOrAddress);
    QString path = QDir::toNativeSeparators(pageUrl(pathOrAddress).toLocalFile());
    if (!section.isEmpty())
        path += QStringLiteral("（「%1」の節）").arg(section);
    return QStringLiteral("このページを表示するプログラムが見つかりません。"
                          "ブラウザーで次のファイルを開いてください：\n%1")
        .arg(path);
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar('.'))
        return message + QChar('.');
    return message;
}

} // namespace hakomaru
