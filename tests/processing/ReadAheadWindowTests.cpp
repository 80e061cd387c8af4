// Stages with more files than the read-ahead keeps in hand at once.
#include "ProcessingTestSupport.h"

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

// Key: the number in the name modulo 3; one chunk of 10 bytes per file.
class CountingStage : public ProcessingStage {
public:
    using ProcessingStage::ProcessingStage;

protected:
    FileGroupingKind outputKind() const override { return FileGroupingByHash; }
    const StageTexts& texts() const override
    {
        static const StageTexts texts{"in: %lu %lu %lu", "out: %lu %lu %lu", "Stopped '%@'", "Failed '%@'."};
        return texts;
    }
    bool readsAhead() const override { return true; }
    std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) override
    {
        bool stop = false;
        chunkProgress(10, 10, &stop);
        if (stop)
            return std::nullopt;
        return FileGroupKey(file.name().mid(3).toULongLong() % 3);
    }
};

std::vector<FileItemPtr> numberedItems(std::size_t count)
{
    QStringList names;
    for (std::size_t index = 0; index < count; ++index)
        names.append(QStringLiteral("/n/%1").arg(index));
    return itemsNamed(names);
}

struct WindowCase {
    const char* name;
    std::size_t fileCount;
    std::optional<std::size_t> stopAtCall; // calls alternate: before a file, after its chunk
    std::size_t expectedOutput;
};

void PrintTo(const WindowCase& test, std::ostream* out)
{
    *out << test.name;
}

class ReadAheadWindow : public testing::TestWithParam<WindowCase> {};

TEST_P(ReadAheadWindow, takesEveryFileInOrderWithItsOwnKey)
{
    const WindowCase& test = GetParam();
    const auto items = numberedItems(test.fileCount);
    CountingStage stage(QStringLiteral("Counting"), nullptr, nullptr, nullptr);
    stage.setReaderCount(3);
    ProgressRecorder recorder(test.stopAtCall);

    const FileGrouping output = stage.processFiles(groupingOf({items}), 0, test.fileCount, recorder.block());

    EXPECT_EQ(output.count(), test.expectedOutput);
    for (const auto& [key, files] : output.fileGroups()) {
        for (const FileItemPtr& file : files)
            EXPECT_EQ(file->name().mid(3).toULongLong() % 3, key.number());
    }
    // Before each file its own call, then its chunk: the replay follows the loop's order.
    for (std::size_t call = 0; call + 1 < recorder.calls().size(); call += 2) {
        ASSERT_EQ(recorder.calls()[call].file, items[call / 2]->name());
        EXPECT_EQ(recorder.calls()[call + 1].file, items[call / 2]->name());
        EXPECT_EQ(recorder.calls()[call + 1].info.fileBytesDone, 10u);
    }
}

// Enough files that the helpers wait for room several times over; a stop soon after the start
// must still end helpers that are waiting for room.
INSTANTIATE_TEST_SUITE_P(Cases, ReadAheadWindow,
    testing::Values(WindowCase{"manyWindows", 3 * StageReadAhead::windowSize + 5, std::nullopt,
                        3 * StageReadAhead::windowSize + 5},
        WindowCase{"stopWhileHelpersWait", 3 * StageReadAhead::windowSize, 41, 20}),
    [](const testing::TestParamInfo<WindowCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace pairsift::test
