#pragma once
// The about window: program name, version read from the program file,
// rights notice and a link to the author's home page.
#include <QDialog>

class QDate;
class QGroupBox;
class QLabel;
class QPushButton;

namespace hakomaru {

// The author's name, shown in the rights notice.
inline constexpr const char* kAuthorName = "Hakomaru Project";
inline constexpr const char* kCopyrightPrefix = "Copyright (C) ";

// The rights notice: the fixed prefix, the year of `date` in digits, a blank
// and the author's name, whatever the user's locale.
QString rightsNotice(const QDate& date);

// The link's address: the introduction page shipped in the program's folder,
// as a file URL, so it works offline and wherever the program is installed.
QString authorHomePage();

class TfrmVersion : public QDialog {
    Q_OBJECT
  public:
    // Creating the window fills its labels. When the version cannot be read
    // the error box shows first and the version label stays empty. The
    // window deletes itself when closed.
    explicit TfrmVersion(QWidget* parent = nullptr);

    QLabel* lblPgname = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblUrl = nullptr;
    QPushButton* btnOk = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FormCreate();
    void lblUrlClick();

    QGroupBox* grpVersion = nullptr;
};

} // namespace hakomaru
