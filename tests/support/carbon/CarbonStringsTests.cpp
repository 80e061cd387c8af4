#include "support/carbon/CarbonStrings.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(CarbonStrings, macRomanLatin1MapsAndRefuses)
{
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"Az 0", "Az 0"},
        {QString::fromUtf8("é"), "\x8E"},
        {QString::fromUtf8("e\u0301"), "\x8E"}, // composed first
        {QString::fromUtf8("ß"), "\xA7"},
        {QString::fromUtf8("\u00A0"), "\xCA"},
        {QString::fromUtf8("ÿ"), "\xD8"},
        {QString::fromUtf8("\u0080"), "\xA0"}, // first of the characters Mac Roman lacks
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encodeMacRomanLatin1(c.text), c.bytes) << c.text.toStdString();
        EXPECT_EQ(decodeMacRomanLatin1(c.bytes), c.text.normalized(QString::NormalizationForm_C));
    }
    for (const char* refused : {"€", "™", "Ω", "😀"})
        EXPECT_FALSE(encodeMacRomanLatin1(QString::fromUtf8(refused))) << refused;

    QByteArray every(256, '\0');
    for (int b = 0; b < 256; ++b)
        every[b] = char(b);
    const QString decoded = decodeMacRomanLatin1(every);
    for (QChar c : decoded)
        EXPECT_LE(c.unicode(), 0xFF);
    EXPECT_EQ(encodeMacRomanLatin1(decoded), every) << "every byte decodes to its own character";
}

TEST(CarbonStrings, pascalStrings)
{
    const unsigned char empty[] = {0, 'x'};
    EXPECT_EQ(stringWithPascalString(empty), QString(""));
    EXPECT_TRUE(stringWithPascalString(nullptr).isNull());

    unsigned char buffer[8] = {};
    EXPECT_TRUE(getPascalString(QString::fromUtf8("Café"), buffer, 5));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 5), QByteArray("\x04" "Caf\x8E"));
    EXPECT_EQ(stringWithPascalString(buffer), QString::fromUtf8("Café"));
    EXPECT_FALSE(getPascalString("Cafés", buffer, 5)) << "one byte too many";
    EXPECT_FALSE(getPascalString(QString::fromUtf8("a€"), buffer, 8));

    EXPECT_EQ(pascalString(QString(255, 'a')).size(), 256);
    EXPECT_TRUE(pascalString(QString(256, 'a')).isNull());
    EXPECT_TRUE(pascalString(QString::fromUtf8("€")).isNull());
}

TEST(CarbonStrings, trimWhitespaceKeepsInnerSpace)
{
    const QString text = " \t two  words \n";
    EXPECT_EQ(trimWhitespace(text), "two  words");
    EXPECT_EQ(text, " \t two  words \n");
}

} // namespace
} // namespace pairsift
