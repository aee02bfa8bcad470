#include "Version.h"

#include "Platform.h"
#include "ProgramFiles.h"
#include "WindowFonts.h"
#include "WindowPlacement.h"
#include "VersionInfo.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace hakomaru {

QString rightsNotice(const QDate& date) {
    // The year itself, not the first characters of a date as the user's
    // locale writes it, which begin with the day or the month in most.
    return QString::fromUtf8(kCopyrightPrefix) + QString::number(date.year()) + QChar(' ') +
           QString::fromUtf8(kAuthorName);
}

QString authorHomePage() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    return QUrl::fromLocalFile(programDir.absoluteFilePath(QString::fromUtf8(kIntroductionPage)))
        .toString();
}

TfrmVersion::TfrmVersion(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmVersion"));
    setAttribute(Qt::WA_DeleteOnClose);
    minimiseWithOwner(*this);
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(268, 151);
    setFont(windowFont(kPGothic, 12));
    // Centred on the screen, not over the main window.
    centreFrameOnScreen(*this);

    grpVersion = new QGroupBox(this);
    grpVersion->setObjectName(QStringLiteral("grpVersion"));
    grpVersion->setGeometry(8, 8, 253, 105);

    auto makeLabel = [this](const char* name, int left, int top) {
        auto* label = new QLabel(grpVersion);
        label->setObjectName(QString::fromLatin1(name));
        label->move(left, top);
        return label;
    };
    lblPgname = makeLabel("lblPgname", 28, 24);
    lblPgname->setText(QStringLiteral("はこ丸"));
    lblPgname->setFont(windowFont(kPGothic, 16, true));
    lblPgname->adjustSize();
    lblVersion = makeLabel("lblVersion", 28, 44);
    lblCopyright = makeLabel("lblCopyright", 28, 60);
    lblCopyright->setStyleSheet(QStringLiteral("color: black;"));
    lblUrl = makeLabel("lblUrl", 28, 76);
    QFont linkFont = windowFont(kPGothic, 12);
    linkFont.setUnderline(true);
    lblUrl->setFont(linkFont);
    // A long folder name is shortened in the middle to stay inside the group
    // box; the whole address shows as the label's tool tip.
    const int room = grpVersion->width() - 28 - 8;
    lblUrl->setText(QFontMetrics(linkFont).elidedText(authorHomePage(), Qt::ElideMiddle, room));
    lblUrl->setToolTip(authorHomePage());
    lblUrl->setStyleSheet(QStringLiteral("color: blue;"));
    lblUrl->setCursor(Qt::PointingHandCursor);
    lblUrl->installEventFilter(this);
    lblUrl->adjustSize();

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(98, 120, 73, 25);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::close);

    FormCreate();
}

void TfrmVersion::FormCreate() {
    lblCopyright->setText(rightsNotice(QDate::currentDate()));
    lblCopyright->adjustSize();
    try {
        lblVersion->setText(QStringLiteral("Ver.") + QString::fromStdString(ReadFileVersion()));
        lblVersion->adjustSize();
    } catch (const std::exception& e) {
        // Reported like any uncaught error; the window opens all the same.
        platform().showError(parentWidget(), QString::fromUtf8(e.what()));
    }
}

void TfrmVersion::lblUrlClick() {
    openPage(this, authorHomePage());
}

bool TfrmVersion::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblUrl && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            lblUrl->rect().contains(mouse->position().toPoint()))
            lblUrlClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmVersion::keyPressEvent(QKeyEvent* event) {
    // Only OK closes the window from the keyboard (Enter): no button is
    // bound to Esc.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace hakomaru
