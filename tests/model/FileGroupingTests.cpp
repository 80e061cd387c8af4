#include "model/FileGrouping.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pairsift {
namespace {

FileItemPtr item(const char* name)
{
    return FileItem::create(QString::fromUtf8(name));
}

TEST(FileGrouping, countsGroupsAndFilesAndPrunesSingles)
{
    FileGrouping grouping(FileGroupingBySize);
    EXPECT_EQ(grouping.addFile(item("/a"), FileGroupKey(std::uint64_t{10})), 1u);
    EXPECT_EQ(grouping.addFile(item("/b"), FileGroupKey(std::uint64_t{10})), 2u);
    EXPECT_EQ(grouping.addFile(item("/c"), FileGroupKey(std::uint64_t{20})), 1u);
    EXPECT_EQ(grouping.groupCount(), 2u);
    EXPECT_EQ(grouping.count(), 3u);

    grouping.pruneSingleFileGroups();

    EXPECT_EQ(grouping.groupCount(), 1u);
    EXPECT_EQ(grouping.count(), 2u);
    ASSERT_TRUE(grouping.fileGroups().contains(FileGroupKey(std::uint64_t{10})));
    EXPECT_EQ(grouping.fileGroups().at(FileGroupKey(std::uint64_t{10})).size(), 2u);
}

TEST(FileGrouping, keysAreEqualByValue)
{
    struct Case {
        FileGroupKey first;
        FileGroupKey second;
        std::uint64_t expectedGroups;
    };
    const std::vector<Case> cases{
        {FileGroupKey(std::uint64_t{quint32{7}}), FileGroupKey(std::uint64_t{7}), 1},
        {FileGroupKey(QByteArray("\x01\x02", 2)), FileGroupKey(QByteArray("\x01\x02", 2)), 1},
        {FileGroupKey(QByteArray("\x07", 1)), FileGroupKey(std::uint64_t{7}), 2},
        {FileGroupKey(QByteArray()), FileGroupKey(std::uint64_t{0}), 2},
        {FileGroupKey(QByteArray("ab")), FileGroupKey(QByteArray("abc")), 2},
    };
    for (const Case& test : cases) {
        FileGrouping grouping(FileGroupingByHash);
        grouping.addFile(item("/x"), test.first);
        grouping.addFile(item("/y"), test.second);
        EXPECT_EQ(grouping.groupCount(), test.expectedGroups);
        EXPECT_EQ(grouping.count(), 2u);
    }
}

TEST(FileGrouping, anEmptyGroupingCountsNothingAndEnumeratesNothing)
{
    FileGrouping grouping(FileGroupingByHeader);
    int calls = 0;
    grouping.enumerateGroups([&](const FileGroupKey&, const FileGrouping::Files&, bool*) { ++calls; });
    grouping.pruneSingleFileGroups();

    EXPECT_EQ(calls, 0);
    EXPECT_EQ(grouping.groupCount(), 0u);
    EXPECT_EQ(grouping.count(), 0u);
    EXPECT_EQ(grouping.groupedBy(), FileGroupingByHeader);
}

TEST(FileGrouping, enumeratesEveryGroupOnceWithItsFilesUntilStopped)
{
    FileGrouping::Groups groups;
    for (std::uint64_t key = 1; key <= 3; ++key) {
        for (std::uint64_t file = 0; file < key; ++file)
            groups[FileGroupKey(key)].push_back(item("/f"));
    }
    const FileGrouping grouping(groups, FileGroupingBySize);
    EXPECT_EQ(grouping.groupedBy(), FileGroupingBySize);

    std::vector<std::uint64_t> seen;
    grouping.enumerateGroups([&](const FileGroupKey& key, const FileGrouping::Files& files, bool*) {
        EXPECT_EQ(files.size(), key.number());
        seen.push_back(key.number());
    });
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{1, 2, 3}));

    int calls = 0;
    grouping.enumerateGroups([&](const FileGroupKey&, const FileGrouping::Files&, bool* stop) {
        ++calls;
        *stop = true;
    });
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace pairsift
