#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>

namespace pairsift {

// A colour as the drawing code describes it. Components are kept as given (a byte over 255 computed in
// single precision, then widened), so colours made from the same value compare equal exactly.
struct RGBColor {
    enum class Space {
        DeviceRGB,
        CalibratedRGB,
        // One component (white) in red, green and blue alike.
        Gray,
        // An image or other colour that has no RGB components.
        Pattern,
    };

    Space space = Space::CalibratedRGB;
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    bool operator==(const RGBColor&) const = default;

    // Nothing for a pattern.
    std::optional<RGBColor> calibratedRGB() const;
    QColor toQColor() const;
};

// An RGB value packs red in bits 16-23, green in 8-15 and blue in 0-7; higher bits are ignored.
RGBColor colorWithDeviceRGB(std::uint64_t value);
// colorWithRGB() (PairsiftColors.h) is this one as a QColor.
RGBColor colorWithCalibratedRGB(std::uint64_t value, double alpha = 1.0);
// The text read as one hexadecimal number (an optional "0x" first, leading spaces skipped); a null text or
// one that does not begin with a hexadecimal digit is 0, opaque black.
RGBColor colorFromHexRGB(const QString& text);

// Black when the colour's luminance (0.3 red + 0.59 green + 0.11 blue, in single precision) is at least
// 0.5, else white, with the colour's alpha; black for a colour without RGB components.
RGBColor contrastingLabelColor(const RGBColor& color);
// (1 - red, 1 - green, 1 - blue) with the colour's alpha; for RGB colours.
RGBColor invertedColor(const RGBColor& color);

// The platform's grey (half white).
RGBColor grayColor();

} // namespace pairsift
