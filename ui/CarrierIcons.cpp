#include "CarrierIcons.h"

#include <QPainter>

namespace hakomaru {
namespace {

constexpr int kWidth = 19;
constexpr int kHeight = 20;

// A cardboard box seen from the front and the top, with a band across it.
QPixmap parcel(const QColor& band, const QColor& tag) {
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor cardboard(0xD9, 0xA8, 0x62);
    const QColor edge(0x7A, 0x4E, 0x1C);
    // Top face.
    const QPoint top[] = {{1, 5}, {6, 1}, {18, 1}, {13, 5}};
    p.setPen(edge);
    p.setBrush(cardboard.lighter(115));
    p.drawPolygon(top, 4);
    // Side face.
    const QPoint side[] = {{13, 5}, {18, 1}, {18, 14}, {13, 19}};
    p.setBrush(cardboard.darker(115));
    p.drawPolygon(side, 4);
    // Front face with the band and the tag.
    p.setBrush(cardboard);
    p.drawRect(1, 5, 12, 14);
    p.fillRect(6, 6, 3, 13, band);
    p.fillRect(2, 14, 3, 3, tag);
    return pixmap;
}

} // namespace

QPixmap youpackIcon() {
    return parcel(QColor(0xD7, 0x1E, 0x1E), QColor(0xFF, 0xFF, 0xFF));
}

QPixmap catIcon() {
    return parcel(QColor(0x22, 0x22, 0x22), QColor(0xF5, 0xC4, 0x00));
}

} // namespace hakomaru
