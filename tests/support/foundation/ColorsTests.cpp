#include "support/foundation/Colors.h"
#include "support/foundation/PairsiftColors.h"
#include "support/foundation/ValueTransformers.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

RGBColor calibrated(double red, double green, double blue, double alpha = 1)
{
    return RGBColor{RGBColor::Space::CalibratedRGB, red, green, blue, alpha};
}

TEST(Colors, contrastingLabelColorThreshold)
{
    const RGBColor black = calibrated(0, 0, 0);
    const RGBColor white = calibrated(1, 1, 1);
    const struct {
        const char* name;
        RGBColor color;
        RGBColor expected;
    } cases[] = {
        {"yellow", calibrated(1, 1, 0), black},
        {"blue", calibrated(0, 0, 1), white},
        {"grey of 0.5 belongs to black", grayColor(), black},
        {"pattern", RGBColor{RGBColor::Space::Pattern, 0, 0, 0, 1}, black},
        {"alpha kept", calibrated(0, 0, 0, 0.25), calibrated(1, 1, 1, 0.25)},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(contrastingLabelColor(testCase.color), testCase.expected) << testCase.name;
}

TEST(Colors, valuesAndHexTexts)
{
    const RGBColor green = colorWithCalibratedRGB(0x0E8122, 1.0);
    EXPECT_EQ(green.red, static_cast<double>(14.0f / 255.0f));
    EXPECT_EQ(colorWithCalibratedRGB(0xFF0E8122), green) << "bits above 23 are ignored";
    EXPECT_EQ(colorFromHexRGB(QStringLiteral("0E8122")).toQColor(), topItemColor());
    EXPECT_EQ(colorWithDeviceRGB(0x0E8122).space, RGBColor::Space::DeviceRGB);

    const struct {
        QString text;
        RGBColor expected;
    } texts[] = {
        {QStringLiteral("0E8122"), green},
        {QStringLiteral("0x0e8122"), green},
        {QStringLiteral("  0E8122zz"), green},
        {QStringLiteral("#0E8122"), calibrated(0, 0, 0)},
        {QString(), calibrated(0, 0, 0)},
        {QStringLiteral("1FFFFFFFF"), colorWithCalibratedRGB(0xFFFFFF)},
    };
    for (const auto& testCase : texts)
        EXPECT_EQ(colorFromHexRGB(testCase.text), testCase.expected) << testCase.text.toStdString();
}

TEST(Colors, invertedColorKeepsAlpha)
{
    EXPECT_EQ(invertedColor(calibrated(1, 0.25, 0, 0.5)), calibrated(0, 0.75, 1, 0.5));
}

TEST(ValueTransformers, countToEnabled)
{
    const struct {
        QVariant value;
        int expected;
    } cases[] = {
        {QVariant(), 0}, {QVariant(0), 0}, {QVariant(-1), 0}, {QVariant(1), 1}, {QVariant(42), 1},
        {QVariant(QStringLiteral("7")), 1}, {QVariant(QStringLiteral("x")), 0},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(HarvoCountToEnabledTransformer::transformedValue(testCase.value).toInt(), testCase.expected)
            << testCase.value.toString().toStdString();
}

TEST(ValueTransformers, shortDateTakesOnlyDates)
{
    EXPECT_FALSE(HVShortDateValueTransformer::transformedValue(QVariant(5)).isValid());
    const QDateTime date = QDateTime::currentDateTime();
    EXPECT_FALSE(HVShortDateValueTransformer::transformedValue(date).toString().isEmpty());
}

} // namespace
} // namespace pairsift
