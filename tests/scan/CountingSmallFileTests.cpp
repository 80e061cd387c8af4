// The small-file threshold at its boundary, and that every scan reads the settings afresh.
#include "CountingTestSupport.h"

namespace pairsift::test {
namespace {

struct ThresholdCase {
    const char* name;
    bool ignoreSmallFiles;
    qint64 size;
    qint64 unitIndex;
    std::vector<std::string> counted;
    QStringList warnings;
};

void PrintTo(const ThresholdCase& thresholdCase, std::ostream* out)
{
    *out << thresholdCase.name;
}

const ThresholdCase thresholdCases[] = {
    {"hundred_bytes", true, 100, 0, {"loc/f100.bin", "loc/f1024.bin"},
        {"File '@/loc/f99.bin' is too small (99 b)", "File '@/loc/f0.bin' has zero size"}},
    {"setting_off", false, 100, 0, {"loc/f100.bin", "loc/f1024.bin", "loc/f99.bin"},
        {"File '@/loc/f0.bin' has zero size"}},
    {"one_kilobyte", true, 1, 1, {"loc/f1024.bin"},
        {"File '@/loc/f99.bin' is too small (99 b)", "File '@/loc/f100.bin' is too small (100 b)"}},
    // A stored size of 0 means 100 units.
    {"zero_reads_as_a_hundred", true, 0, 0, {"loc/f100.bin", "loc/f1024.bin"},
        {"File '@/loc/f99.bin' is too small (99 b)"}},
};

void writeSizedFiles(const TemporaryTree& tree)
{
    for (const qsizetype size : {0, 99, 100, 1024})
        tree.writeFile(QStringLiteral("loc/f%1.bin").arg(size), content(size));
}

class CountingThreshold : public CountingTest, public testing::WithParamInterface<ThresholdCase> {};

TEST_P(CountingThreshold, countsFilesAtOrAboveTheThreshold)
{
    const ThresholdCase& thresholdCase = GetParam();
    writeSizedFiles(m_tree);
    setSmallFileSettings(thresholdCase.ignoreSmallFiles, thresholdCase.size, thresholdCase.unitIndex);

    ASSERT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(true));

    EXPECT_EQ(sessionFiles(), thresholdCase.counted);
    for (QString warning : thresholdCase.warnings) {
        warning = QStringLiteral("Warning: ") + warning.replace(QLatin1Char('@'), m_tree.root());
        EXPECT_TRUE(m_log->has(warning)) << "missing: " << warning.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Counting, CountingThreshold, testing::ValuesIn(thresholdCases),
    [](const testing::TestParamInfo<ThresholdCase>& info) { return std::string(info.param.name); });

using CountingSettings = CountingTest;

TEST_F(CountingSettings, everyScanReadsTheSmallFileSettings)
{
    writeSizedFiles(m_tree);
    setSmallFileSettings(true, 100, 0);
    ASSERT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(true));
    EXPECT_EQ(sessionFiles(), (std::vector<std::string>{"loc/f100.bin", "loc/f1024.bin"}));
    EXPECT_EQ(m_controller->smallFileSize(), 100.0);

    setSmallFileSettings(false, 100, 0);
    m_session = std::make_shared<Session>(m_db, nullptr);
    ASSERT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(true));

    EXPECT_FALSE(m_controller->ignoreSmallFiles());
    EXPECT_EQ(sessionFiles(), (std::vector<std::string>{"loc/f100.bin", "loc/f1024.bin", "loc/f99.bin"}));
    EXPECT_EQ(storedFiles(), sessionFiles());
}

} // namespace
} // namespace pairsift::test
