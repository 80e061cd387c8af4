// The header stage on real files.
#include "processing/ProcessingTestSupport.h"
#include "processing/extras/ProcessingStageHeaders.h"
#include "testkit/LogCapture.h"

#include <QFile>

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

TEST(HeaderStage, groupsByTheFirstEightBytes)
{
    TemporaryTree tree;
    LogCapture log;
    const auto items = countedItems(tree, {{"h1", "12345678AAAA"}, {"h2", "12345678BBBB"}, {"h3", "12345679AAAA"},
                                              {"s1", "1234567"}, {"s2", "1234567"}, {"e1", ""}, {"e2", ""},
                                              {"gone", "12345678"}});
    ASSERT_TRUE(QFile::remove(tree.path("gone")));
    ProcessingStageHeaders stage(QStringLiteral("head"), nullptr, log.logger(), nullptr);

    const FileGrouping output = stage.processFiles(groupingOf({items}), 0, 8, {});

    EXPECT_EQ(output.groupedBy(), FileGroupingByHeader);
    EXPECT_EQ(namesByGroup(output), (std::vector<QStringList>{{tree.path("e1"), tree.path("e2")},
                                        {tree.path("h1"), tree.path("h2")}, {tree.path("s1"), tree.path("s2")}}));
    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("Unable to read header of file '%1'.").arg(tree.path("gone"))});
}

} // namespace
} // namespace pairsift::test
