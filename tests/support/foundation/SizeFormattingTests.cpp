#include "support/foundation/SizeFormatting.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace pairsift {
namespace {

// Runs the size texts under a locale that writes "," as its decimal separator, where one is installed;
// the texts must still use ".".
class SizeText : public testing::Test {
protected:
    void SetUp() override
    {
        m_previousNumeric = std::setlocale(LC_NUMERIC, nullptr);
        m_previousLocale = QLocale();
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            std::setlocale(LC_NUMERIC, "C.UTF-8");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override
    {
        QLocale::setDefault(m_previousLocale);
        std::setlocale(LC_NUMERIC, m_previousNumeric.c_str());
    }

private:
    std::string m_previousNumeric;
    QLocale m_previousLocale;
};

struct SizeCase {
    double bytes;
    const char* expected;
};

constexpr double KiB = 1024.0;
constexpr double MiB = KiB * 1024.0;
constexpr double GiB = MiB * 1024.0;
constexpr double TiB = GiB * 1024.0;

TEST_F(SizeText, unitBoundariesAtTenTwentyThree)
{
    const SizeCase cases[] = {
        {0, "0 B"},
        {1, "1 B"},
        {1022, "1022 B"},
        {1022.99, "1022 B"}, // truncated, not rounded
        {1023, "1.00 KB"},
        {1024, "1.00 KB"},
        {1150, "1.12 KB"},
        {1536, "1.50 KB"},
        {1023 * KiB - 1, "1023.00 KB"},
        {1023 * KiB, "1.00 MB"},
        {MiB - 1, "1.00 MB"},
        {1023 * MiB - 1, "1023.00 MB"},
        {1023 * MiB, "1.00 GB"},
        {5 * GiB, "5.00 GB"},
        {1023 * GiB, "1.00 TB"},
        {2 * TiB, "2.00 TB"},
        {1023 * TiB, "1023.00 TB"},
        {1024 * TiB, "1024.00 TB"}, // no unit above TB
        {1e6 * TiB, "1000000.00 TB"},
    };
    for (const SizeCase& item : cases)
        EXPECT_EQ(stringWithDiskSpace(item.bytes), QString::fromLatin1(item.expected)) << item.bytes;
}

TEST_F(SizeText, countsThatAreNoSizeReadAsZero)
{
    const double cases[] = {-1.0, -1e300, -0.0, std::numeric_limits<double>::quiet_NaN(),
                            -std::numeric_limits<double>::infinity()};
    for (const double bytes : cases)
        EXPECT_EQ(stringWithDiskSpace(bytes), QStringLiteral("0 B")) << bytes;
}

TEST_F(SizeText, hugeCountsStayInTerabytes)
{
    const QString largest = stringWithDiskSpace(std::numeric_limits<double>::max());
    EXPECT_TRUE(largest.endsWith(QStringLiteral(".00 TB"))) << largest.toStdString();
    EXPECT_GT(largest.size(), 290);
    EXPECT_TRUE(stringWithDiskSpace(std::numeric_limits<double>::infinity()).endsWith(QStringLiteral(" TB")));
}

} // namespace
} // namespace pairsift
