#include "Map.h"

#include "JpegImage.h"
#include "Platform.h"
#include "ProgramFiles.h"
#include "WindowFonts.h"
#include "WindowPlacement.h"
#include "controls/LabelEx.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace hakomaru {

const std::vector<MapLabel>& mapLabels() {
    static const std::vector<MapLabel> table = {
        {"北海道", 0, 1, 228, 76},  {"青森", 2, 2, 380, 60},      {"岩手", 3, 3, 388, 100},
        {"秋田", 4, 4, 360, 88},    {"山形", 5, 6, 344, 120},     {"宮城", 6, 5, 364, 136},
        {"福島", 7, 7, 340, 164},   {"茨城", 9, 10, 332, 200},    {"栃木", 10, 9, 320, 184},
        {"群馬", 11, 15, 292, 184}, {"埼玉", 12, 12, 300, 200},   {"千葉", 13, 11, 328, 232},
        {"東京", 14, 13, 312, 216}, {"神奈川", 15, 14, 288, 232}, {"山梨", 16, 17, 276, 212},
        {"新潟", 17, 8, 296, 152},  {"長野", 18, 16, 264, 188},   {"富山", 20, 18, 252, 164},
        {"石川", 21, 19, 224, 152}, {"福井", 22, 20, 216, 180},   {"静岡", 23, 22, 252, 228},
        {"愛知", 24, 23, 232, 216}, {"岐阜", 25, 21, 232, 196},   {"三重", 26, 24, 204, 228},
        {"滋賀", 28, 25, 204, 204}, {"京都", 29, 29, 180, 200},   {"大阪", 30, 28, 172, 216},
        {"兵庫", 31, 30, 168, 184}, {"奈良", 32, 26, 180, 232},   {"和歌山", 33, 27, 164, 248},
        {"鳥取", 35, 33, 152, 164}, {"岡山", 36, 31, 136, 188},   {"島根", 37, 34, 104, 164},
        {"広島", 38, 32, 104, 188}, {"山口", 39, 35, 68, 184},    {"香川", 40, 36, 136, 212},
        {"徳島", 41, 37, 140, 228}, {"愛媛", 42, 39, 92, 216},    {"高知", 43, 38, 112, 228},
        {"福岡", 45, 40, 40, 196},  {"佐賀", 46, 41, 8, 196},     {"長崎", 47, 42, 4, 220},
        {"大分", 48, 44, 56, 220},  {"熊本", 49, 43, 28, 232},    {"宮崎", 50, 45, 44, 248},
        {"鹿児島", 51, 46, 4, 260}, {"沖縄", 52, 47, 72, 100},
    };
    return table;
}

QString pictureAtScale(const QString& picture, int scale) {
    if (scale == 1)
        return picture;
    const QFileInfo file(picture);
    const QString suffix = file.suffix().isEmpty() ? QString() : QChar('.') + file.suffix();
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("@%1x").arg(scale) +
                               suffix);
}

int pictureScaleFor(double devicePixelRatio) {
    return devicePixelRatio > 1 ? 2 : 1;
}

TfrmMap::TfrmMap(std::function<void(int)> selectDestination, QWidget* parent,
                 const QString& pictureFile)
    : QDialog(parent), selectDestination_(std::move(selectDestination)) {
    setObjectName(QStringLiteral("frmMap"));
    setAttribute(Qt::WA_DeleteOnClose);
    minimiseWithOwner(*this);
    setWindowTitle(QStringLiteral("届け先選択"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(430, 292);
    move(228, 235);
    setFont(windowFont(kPGothic, 12));

    imgJapan = new QLabel(this);
    imgJapan->setObjectName(QStringLiteral("imgJapan"));
    imgJapan->setGeometry(0, 0, 429, 293);
    imgJapan->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgJapan->setScaledContents(false);

    labels.assign(mapLabels().size(), nullptr);
    for (const MapLabel& entry : mapLabels()) {
        auto* label = new TLabelEx(QString::fromUtf8(entry.caption), this);
        label->setObjectName(QStringLiteral("Label%1").arg(entry.labelNumber));
        // Red 9-point plain text on a transparent background: the label's
        // look when the pointer is elsewhere.
        QFont font = windowFont(kPGothic, 12);
        font.setPointSize(9);
        label->setFont(font);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
        label->setPalette(palette);
        label->setAutoFillBackground(false);
        label->setCursor(Qt::PointingHandCursor);
        label->move(entry.left, entry.top);
        label->adjustSize();
        label->setProperty("destinationRow", entry.destinationRow);
        label->installEventFilter(this);
        labels[static_cast<std::size_t>(entry.labelNumber - 1)] = label;
    }

    if (pictureFile.isEmpty())
        FormCreate(locateProgramFile(QString::fromUtf8(kMapPictureName)),
                   QString::fromUtf8(kMapPictureName));
    else
        FormCreate(pictureFile, pictureFile);
}

TfrmMap::~TfrmMap() = default;

void TfrmMap::FormCreate(const QString& pictureFile, const QString& shownName) {
    // The picture is looked up in the current directory first, then beside
    // the program, and decoded afresh at every opening.
    try {
        QImage picture = loadJpegImage(pictureFile);
        if (const int scale = pictureScaleFor(devicePixelRatioF()); scale > 1) {
            // The sharper picture is a refinement: where it is missing or
            // does not fit, the first one shows, enlarged, without a word.
            try {
                QImage sharper = loadJpegImage(pictureAtScale(pictureFile, scale));
                if (sharper.size() == picture.size() * scale) {
                    sharper.setDevicePixelRatio(scale);
                    picture = std::move(sharper);
                }
            } catch (const std::exception&) {
            }
        }
        // Handed over whole, so that the pixmap need not copy the picture.
        imgJapan->setPixmap(QPixmap::fromImage(std::move(picture)));
    } catch (const FileOpenError& e) {
        // Named as the window asks for it, wherever it was found.
        platform().showError(parentWidget(),
                             QString::fromUtf8(FileOpenError(shownName, e.reason()).what()));
    } catch (const std::exception& e) {
        // Reported like any uncaught error; the window opens without the
        // picture and its labels work.
        platform().showError(parentWidget(), QString::fromUtf8(e.what()));
    }
}

void TfrmMap::SelectDestination(int index) {
    try {
        if (selectDestination_)
            selectDestination_(index);
    } catch (const std::exception& e) {
        // A failed recalculation is reported like any uncaught error and
        // ends the click's handling: the row stays selected, the map open.
        platform().showError(this, QString::fromUtf8(e.what()));
        return;
    }
    close();
}

bool TfrmMap::eventFilter(QObject* watched, QEvent* event) {
    // A label's click: the left button released over the label it was
    // pressed on.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* label = qobject_cast<TLabelEx*>(watched);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (label && mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            SelectDestination(label->property("destinationRow").toInt());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmMap::closeEvent(QCloseEvent* event) {
    // Closing always succeeds and drops the decoded picture at once.
    imgJapan->clear();
    QDialog::closeEvent(event);
}

void TfrmMap::keyPressEvent(QKeyEvent* event) {
    // The map has no keyboard command of its own: Esc does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace hakomaru
