// A stop during a stage whose files are read ahead on helper threads.
#include "ProcessingTestSupport.h"

#include "testkit/LogCapture.h"

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

// Files named "…endless…" report chunks until asked to stop; the others are one chunk long. Every file
// yields key 1, so any file that joins the output joins one group.
class EndlessStage : public ProcessingStage {
public:
    using ProcessingStage::ProcessingStage;

protected:
    FileGroupingKind outputKind() const override { return FileGroupingByHash; }
    const StageTexts& texts() const override
    {
        static const StageTexts texts{"Endless in: %lu %lu %lu", "Endless out: %lu %lu %lu", "Stopped '%@'", "Failed '%@'."};
        return texts;
    }
    bool readsAhead() const override { return true; }
    std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) override
    {
        const bool isEndless = file.name().contains(QLatin1String("endless"));
        const quint64 total = isEndless ? ~quint64{0} : 10;
        for (quint64 chunk = 1;; ++chunk) {
            bool stop = false;
            chunkProgress(std::min<quint64>(chunk * FileItem::ChunkSize, total), total, &stop);
            if (stop)
                return std::nullopt;
            if (!isEndless)
                return FileGroupKey(std::uint64_t{1});
        }
    }
};

// With every helper inside an endless file, the run can only end if each of them sees the stop.
TEST(ReadAheadStop, endsEveryHelpersReadAndDropsTheFilesReadPastIt)
{
    const auto files = itemsNamed({"/r/a", "/r/b", "/r/endless1", "/r/c", "/r/endless2", "/r/endless3", "/r/d"});
    LogCapture log;
    EndlessStage stage(QStringLiteral("Reading"), nullptr, log.logger(), nullptr);
    stage.setReaderCount(4);
    // Calls: 0 before a, 1 its chunk, 2 before b, 3 its chunk, 4 before endless1, 5… its chunks.
    ProgressRecorder recorder(7);

    const FileGrouping output = stage.processFiles(groupingOf({files}), 0, 7, recorder.block());

    ASSERT_EQ(recorder.calls().size(), 8u);
    for (std::size_t chunk = 5; chunk < 8; ++chunk) {
        EXPECT_EQ(recorder.calls()[chunk].file, QStringLiteral("/r/endless1"));
        EXPECT_EQ(recorder.calls()[chunk].info.fileBytesDone, (chunk - 4) * FileItem::ChunkSize);
    }
    // c and d were read ahead, yet never join: only what came before the stop counts.
    EXPECT_EQ(namesByGroup(output), (std::vector<QStringList>{{"/r/a", "/r/b"}}));
    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("Stopped '/r/endless1'")});
}

} // namespace
} // namespace pairsift::test
