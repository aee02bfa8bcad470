#pragma once
// The map window: the destination prefecture chosen by clicking its name on
// a map of Japan.
#include <QDialog>

#include <functional>
#include <vector>

class QLabel;

namespace hakomaru {

class TLabelEx;

// One prefecture label: its caption, its row in the destination list and
// its place on the map (client pixels).
struct MapLabel {
    const char* caption;
    int destinationRow;
    int labelNumber; // Label1 .. Label47
    int left;
    int top;
};

// The 47 labels in destination-list order. The label numbers follow neither
// the list nor geography; the row is what a click selects.
const std::vector<MapLabel>& mapLabels();

inline constexpr const char* kMapPictureName = "MapOfJapan.jpg";

// The picture drawn at `scale` times the size that lies beside `picture`:
// "MapOfJapan@2x.jpg" beside "MapOfJapan.jpg"; `picture` itself at 1.
QString pictureAtScale(const QString& picture, int scale);
// The scale of picture to show on a screen of `devicePixelRatio` device
// pixels per pixel: 2 above 1, where the picture would be enlarged and blur.
int pictureScaleFor(double devicePixelRatio);

class TfrmMap : public QDialog {
    Q_OBJECT
  public:
    // `selectDestination` sets the main window's destination list to the row
    // and recomputes what depends on it. Creating the window loads the map
    // picture (`pictureFile`, by default MapOfJapan.jpg from the current
    // directory or else from the program's); a picture that cannot be loaded
    // is reported in the error box and the window opens without it, its
    // labels working. On a screen of more device pixels than pixels, the
    // picture drawn at twice the size beside it shows instead, where it
    // decodes to exactly twice the size. The window deletes itself when
    // closed.
    explicit TfrmMap(std::function<void(int destinationRow)> selectDestination,
                     QWidget* parent = nullptr, const QString& pictureFile = QString());
    ~TfrmMap() override;

    QLabel* imgJapan = nullptr;
    std::vector<TLabelEx*> labels; // Label1 .. Label47, by label number - 1

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Loads `pictureFile`; a file that cannot be read is reported as `shownName`.
    void FormCreate(const QString& pictureFile, const QString& shownName);
    void SelectDestination(int index);

    std::function<void(int)> selectDestination_;
};

} // namespace hakomaru
