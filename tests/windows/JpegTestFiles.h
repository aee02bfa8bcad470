#pragma once
// Small JPEG files made on the spot with libjpeg, and ways to damage them.
#include <QByteArray>

namespace hakomaru::test {

// A width x height picture filled with one colour.
QByteArray encodeJpeg(int width, int height, bool progressive, int red = 200, int green = 40,
                      int blue = 40);

// The same bytes with the frame header claiming another size.
QByteArray withClaimedSize(QByteArray jpeg, int width, int height);

} // namespace hakomaru::test
