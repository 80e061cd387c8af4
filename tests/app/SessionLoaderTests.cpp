#include "app/SessionLoader.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

FileItemPtr file(const QString& path, char digestByte)
{
    FileItemPtr item = FileItem::create(path);
    item->setSha1(QByteArray(20, digestByte));
    item->setDateCreated(QDateTime::fromSecsSinceEpoch(1000));
    return item;
}

TEST(SessionLoader, groupsFilesByDigestInKeepRuleOrder)
{
    const std::vector<FileItemPtr> files = {
        file(QStringLiteral("/second/a"), 1), file(QStringLiteral("/first/b"), 2),
        file(QStringLiteral("/first/a"), 1), file(QStringLiteral("/second/b"), 2),
        file(QStringLiteral("/first/c"), 3),
    };
    QStringList paths;
    for (const FileItemPtr& item : SessionLoader::sortedByKeepRule(files, {QStringLiteral("/first"), QStringLiteral("/second")}, 0))
        paths.append(item->name());
    // Groups stay whole, in order of first appearance; within one, the first location's copy leads.
    EXPECT_EQ(paths, (QStringList{QStringLiteral("/first/a"), QStringLiteral("/second/a"), QStringLiteral("/first/b"),
                                  QStringLiteral("/second/b"), QStringLiteral("/first/c")}));
}

} // namespace
} // namespace pairsift
