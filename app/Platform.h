#pragma once
// Platform services the windows use, behind one thin interface so that tests
// can replace them: no test ever shows a modal box, opens a browser or
// touches the real clipboard. The program uses the Qt implementation.
#include <QColor>
#include <QString>
#include <optional>

class QWidget;

namespace hakomaru {

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // The standard error box: caption the application title, stop icon, OK.
    // `message` is shown as errorBoxText(message).
    virtual void showError(QWidget* parent, const QString& message) = 0;
    // A plain message box: caption the application title, no icon, OK.
    virtual void showMessage(QWidget* parent, const QString& message) = 0;
    // Opens a document path or an address (a web address, a file URL) with
    // the user's default application. Returns whether a program took it:
    // false where none could be found or started. A missing page is a
    // browser's to report.
    virtual bool shellOpen(const QString& pathOrAddress) = 0;
    // Replaces the clipboard content with plain text.
    virtual void setClipboardText(const QString& text) = 0;
    // The clipboard's plain text; empty when it holds none.
    virtual QString clipboardText() = 0;
    // The colour chooser; nothing when the user cancels.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
    // The program file's own version string ("1.0.0.0"), empty when unknown.
    virtual QString fileVersion() = 0;
};

// The services in use; the Qt implementation unless a test installed its own.
PlatformServices& platform();
// Installs `services` (not owned) for the rest of the run, or the Qt
// implementation again when null. Returns the previous one.
PlatformServices* setPlatform(PlatformServices* services);

// Opens a help page, a section of one or a web address (see shellOpen).
// `section` names a place in a local page. Where no program can show it, a
// message box says so and names the page, so that the user can open it
// another way. Every window opens its pages through here.
void openPage(QWidget* parent, const QString& pathOrAddress, const QString& section = {});

// That message, in Japanese: what could not be shown, and where it is.
QString pageNotShownText(const QString& pathOrAddress, const QString& section = {});

// The error box text: the message with a full stop appended when its last
// character sorts after ".", so a sentence never ends without one.
QString errorBoxText(const QString& message);

} // namespace hakomaru
