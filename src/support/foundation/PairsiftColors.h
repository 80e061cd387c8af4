#pragma once

#include <QColor>

namespace pairsift {

// The program's own text colours, and colours made from packed 0xRRGGBB values.

// Red in bits 16-23, green in 8-15, blue in 0-7; higher bits are ignored. Each component is the byte
// divided by 255 in single precision.
QColor colorWithRGB(quint64 rgb, double alpha = 1.0);
// The platform's grey (half white): rows of groups that are marked in full.
QColor ignoredTextColor();
// Green 0x0E8122: the kept file of a group.
QColor topItemColor();

} // namespace pairsift
