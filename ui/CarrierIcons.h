#pragma once
// The two small carrier pictures of the main window, drawn in code: a
// parcel with a band in a colour of its own for each carrier. They are
// plain drawings of a box, not any company's mark.
#include <QPixmap>

namespace hakomaru {

QPixmap youpackIcon(); // 19 x 20, a parcel with a red band
QPixmap catIcon();     // 19 x 20, a parcel with a dark band and a yellow tag

} // namespace hakomaru
