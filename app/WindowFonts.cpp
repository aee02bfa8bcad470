#include "WindowFonts.h"

#include <QApplication>

namespace hakomaru {

QFont windowFont(const char* family, int pixelSize, bool bold) {
    QFont f{QString::fromUtf8(family)};
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::NoFontMerging);
    return f;
}

void setUpWindowFonts() {
    QFont::insertSubstitution(QString::fromUtf8(kPGothic), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QString::fromUtf8(kGothic), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QString::fromUtf8(kPMincho), QStringLiteral("IPAPMincho"));
    QApplication::setFont(windowFont(kPGothic, 12));
}

} // namespace hakomaru
