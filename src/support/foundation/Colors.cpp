#include "support/foundation/Colors.h"

#include <limits>

namespace pairsift {

namespace {

double component(std::uint64_t value, int shift)
{
    return static_cast<double>(static_cast<float>((value >> shift) & 0xFF) / 255.0f);
}

RGBColor colorFromValue(RGBColor::Space space, std::uint64_t value, double alpha)
{
    return RGBColor{space, component(value, 16), component(value, 8), component(value, 0), alpha};
}

int hexDigit(QChar character)
{
    const char16_t code = character.unicode();
    if (code >= u'0' && code <= u'9')
        return code - u'0';
    if (code >= u'a' && code <= u'f')
        return code - u'a' + 10;
    if (code >= u'A' && code <= u'F')
        return code - u'A' + 10;
    return -1;
}

// A scanner's reading of an unsigned 32-bit hexadecimal number; too large a number reads as the largest.
std::uint32_t scanHexInt(const QString& text)
{
    qsizetype index = 0;
    while (index < text.size() && text.at(index).isSpace())
        ++index;
    if (index + 2 < text.size() && text.mid(index, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0
        && hexDigit(text.at(index + 2)) >= 0)
        index += 2;
    std::uint64_t value = 0;
    for (; index < text.size(); ++index) {
        const int digit = hexDigit(text.at(index));
        if (digit < 0)
            break;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > std::numeric_limits<std::uint32_t>::max())
            value = std::numeric_limits<std::uint32_t>::max() + std::uint64_t(1);
    }
    return value > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                              : static_cast<std::uint32_t>(value);
}

} // namespace

std::optional<RGBColor> RGBColor::calibratedRGB() const
{
    switch (space) {
    case Space::Pattern: return std::nullopt;
    case Space::Gray: return RGBColor{Space::CalibratedRGB, red, red, red, alpha};
    case Space::DeviceRGB:
    case Space::CalibratedRGB: return RGBColor{Space::CalibratedRGB, red, green, blue, alpha};
    }
    return std::nullopt;
}

QColor RGBColor::toQColor() const
{
    const std::optional<RGBColor> rgb = calibratedRGB();
    if (!rgb)
        return QColor(Qt::black);
    return QColor::fromRgbF(static_cast<float>(rgb->red), static_cast<float>(rgb->green),
                            static_cast<float>(rgb->blue), static_cast<float>(rgb->alpha));
}

RGBColor colorWithDeviceRGB(std::uint64_t value)
{
    return colorFromValue(RGBColor::Space::DeviceRGB, value, 1.0);
}

RGBColor colorWithCalibratedRGB(std::uint64_t value, double alpha)
{
    return colorFromValue(RGBColor::Space::CalibratedRGB, value, alpha);
}

RGBColor colorFromHexRGB(const QString& text)
{
    return colorWithCalibratedRGB(scanHexInt(text), 1.0);
}

RGBColor contrastingLabelColor(const RGBColor& color)
{
    const std::optional<RGBColor> rgb = color.calibratedRGB();
    if (!rgb)
        return RGBColor{RGBColor::Space::CalibratedRGB, 0, 0, 0, 1};
    const float luminance = static_cast<float>(0.3 * rgb->red + 0.59 * rgb->green + 0.11 * rgb->blue);
    const double level = luminance >= 0.5f ? 0.0 : 1.0;
    return RGBColor{RGBColor::Space::CalibratedRGB, level, level, level, rgb->alpha};
}

RGBColor invertedColor(const RGBColor& color)
{
    return RGBColor{RGBColor::Space::CalibratedRGB, 1 - color.red, 1 - color.green, 1 - color.blue, color.alpha};
}

RGBColor grayColor()
{
    return RGBColor{RGBColor::Space::Gray, 0.5, 0.5, 0.5, 1};
}

} // namespace pairsift
