#include "support/foundation/CopyNumber.h"

#include <gtest/gtest.h>

#include <limits>

namespace pairsift {
namespace {

struct CopyCase {
    QString path;
    qint64 expected;
};

TEST(CopyNumber, bothExpressionsOnTheName)
{
    const CopyCase cases[] = {
        {QStringLiteral("photo copy.jpg"), 1},
        {QStringLiteral("photo copy 3.jpg"), 3},
        {QStringLiteral("photo copy 2 5.jpg"), 5}, // the last repetition's digits
        {QStringLiteral("photo (4).jpg"), 4},
        {QStringLiteral("photo.jpg"), 0},
        {QStringLiteral("copy.jpg"), 0}, // no whitespace before the word
        {QStringLiteral("photo Copy 2.jpg"), 0},
        {QStringLiteral("photo COPY.jpg"), 0},
        {QStringLiteral("my copybook.txt"), 1}, // no word boundary after the word
        {QStringLiteral("a copy (7).jpg"), 1},  // the second expression is not tried
        {QStringLiteral("photo\tcopy\t12.jpg"), 12},
        {QStringLiteral("photo copy 007.jpg"), 7},
        {QStringLiteral("photo copy 0.jpg"), 0},
        {QStringLiteral("photo copy3.jpg"), 1}, // digits need whitespace before them
        {QStringLiteral("photo (2) (9).jpg"), 2}, // the first match counts
        {QStringLiteral("photo ().jpg"), 0},
        {QStringLiteral("photo (x3).jpg"), 0},
        {QStringLiteral("(12)"), 12},
        {QString(), 0},
    };
    for (const CopyCase& item : cases)
        EXPECT_EQ(extractCopyNumber(item.path), item.expected) << item.path.toStdString();
}

TEST(CopyNumber, onlyTheLastPathComponentCounts)
{
    const CopyCase cases[] = {
        {QStringLiteral("/Users/u/Backup copy 4/photo.jpg"), 0},
        {QStringLiteral("/Users/u/Backup (3)/photo.jpg"), 0},
        {QStringLiteral("/Users/u/Backup copy 4/photo copy 2.jpg"), 2},
        {QStringLiteral("/Users/u/Backup copy/photo (6).jpg"), 6},
        {QStringLiteral("/Users/u/album copy 8/"), 8}, // a trailing separator is not a component
    };
    for (const CopyCase& item : cases)
        EXPECT_EQ(extractCopyNumber(item.path), item.expected) << item.path.toStdString();
}

TEST(CopyNumber, longDigitRunsSaturate)
{
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    const CopyCase cases[] = {
        {QStringLiteral("photo copy 9223372036854775806.jpg"), largest - 1},
        {QStringLiteral("photo copy 9223372036854775807.jpg"), largest},
        {QStringLiteral("photo copy 9223372036854775808.jpg"), largest},
        {QStringLiteral("photo (99999999999999999999999999999999).jpg"), largest},
    };
    for (const CopyCase& item : cases)
        EXPECT_EQ(extractCopyNumber(item.path), item.expected) << item.path.toStdString();
}

TEST(CopyNumber, onlyAsciiDigitsHaveAValue)
{
    const CopyCase cases[] = {
        // Arabic-Indic three: matched as a digit by the expression, but worth nothing.
        {QStringLiteral("photo copy \u0663.jpg"), 0},
        {QStringLiteral("photo (\u0663).jpg"), 0},
        {QStringLiteral("photo copy 2\u0663.jpg"), 2},
        // A non-breaking space is whitespace to the expression.
        {QStringLiteral("photo\u00A0copy 5.jpg"), 5},
        // Fullwidth digits.
        {QStringLiteral("photo (\uFF14).jpg"), 0},
    };
    for (const CopyCase& item : cases)
        EXPECT_EQ(extractCopyNumber(item.path), item.expected) << item.path.toStdString();
}

TEST(CopyNumber, malformedNamesAreHarmless)
{
    // Bytes that are not UTF-8 arrive as replacement characters; a lone surrogate can come from elsewhere.
    const QString invalidUtf8 = QString::fromUtf8("\xff\xfe photo copy 2.jpg");
    const QString loneSurrogate = QString(QChar(0xD800)) + QStringLiteral(" copy 3.jpg");
    const QString trailingSurrogate = QStringLiteral("photo (4)") + QChar(0xDC00);
    const QString embeddedNull = QStringLiteral("photo") + QChar(0) + QStringLiteral(" copy 6.jpg");
    EXPECT_EQ(extractCopyNumber(invalidUtf8), 2);
    EXPECT_EQ(extractCopyNumber(loneSurrogate), 3);
    EXPECT_EQ(extractCopyNumber(trailingSurrogate), 4);
    EXPECT_EQ(extractCopyNumber(embeddedNull), 6);
    EXPECT_EQ(extractCopyNumber(QString::fromUtf8("\xc3\x28\xa0\xa1")), 0);
}

} // namespace
} // namespace pairsift
