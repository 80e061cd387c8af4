#include "ProcessingTestSupport.h"

#include "store/PairsiftDatabase.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <algorithm>

namespace pairsift::test {

std::shared_ptr<PairsiftDatabase> temporaryStore(const TemporaryTree& tree)
{
    std::shared_ptr<PairsiftDatabase> store = PairsiftDatabase::databaseWithPath(tree.path(QStringLiteral("store.db3")));
    EXPECT_NE(store, nullptr);
    return store;
}

QHash<QString, QByteArray> storedDigests(PairsiftDatabase& store)
{
    QHash<QString, QByteArray> digests;
    store.enumerateFiles([&](const QString& path, std::uint64_t, const QDateTime&, const QByteArray& sha1,
                             const QString&, const QString&, bool*) { digests.insert(path, sha1); });
    return digests;
}

FileGrouping groupingOf(const std::vector<std::vector<FileItemPtr>>& groups)
{
    FileGrouping grouping(FileGroupingBySize);
    for (std::size_t index = 0; index < groups.size(); ++index) {
        for (const FileItemPtr& file : groups[index])
            grouping.addFile(file, FileGroupKey(std::uint64_t{index}));
    }
    return grouping;
}

std::vector<FileItemPtr> countedItems(const TemporaryTree& tree, const QList<std::pair<QString, QByteArray>>& files)
{
    std::vector<FileItemPtr> items;
    for (const auto& [name, content] : files) {
        const FileItemPtr item = FileItem::create(tree.writeFile(name, content));
        item->fillAttributes(FileItem::AttributeSize);
        items.push_back(item);
    }
    return items;
}

std::vector<FileItemPtr> itemsNamed(const QStringList& names)
{
    std::vector<FileItemPtr> items;
    for (const QString& name : names)
        items.push_back(FileItem::create(name));
    return items;
}

std::vector<QStringList> namesByGroup(const FileGrouping& grouping)
{
    std::vector<QStringList> groups;
    for (const auto& [key, files] : grouping.fileGroups()) {
        QStringList names;
        for (const FileItemPtr& file : files)
            names.append(file->name());
        names.sort();
        groups.push_back(names);
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

StageProgressBlock ProgressRecorder::block()
{
    return [this](const QString& stage, const FileItemPtr& file, StageProgressInfo info, bool* stop) {
        m_calls.push_back({stage, file->name(), info});
        if (m_stopAtCall && m_calls.size() > *m_stopAtCall)
            *stop = true;
    };
}

std::vector<ProgressCall> ProgressRecorder::fileCalls() const
{
    std::vector<ProgressCall> calls;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(calls),
        [](const ProgressCall& call) { return call.info.fileBytesTotal == 0; });
    return calls;
}

TableStage::TableStage(QString name, Keys keys, int chunksPerFile, SOLoggerPtr logger)
    : ProcessingStage(std::move(name), nullptr, std::move(logger), nullptr)
    , m_keys(std::move(keys))
    , m_chunksPerFile(chunksPerFile)
{
}

const StageTexts& TableStage::texts() const
{
    static const StageTexts texts{
        "Table stage count in: %lu, done: %lu, total: %lu",
        "Table stage count out: %lu, difference: %lu, done: %lu",
        "User cancelled looking up file '%@'",
        "Unable to look up file '%@'.",
    };
    return texts;
}

std::optional<FileGroupKey> TableStage::contentKey(const FileItem& file, const HashProgressBlock& chunkProgress)
{
    m_contentCalls.append(file.name());
    const std::uint64_t total = static_cast<std::uint64_t>(m_chunksPerFile) * 100;
    for (int chunk = 1; chunk <= m_chunksPerFile && chunkProgress; ++chunk) {
        bool stop = false;
        chunkProgress(static_cast<std::uint64_t>(chunk) * 100, total, &stop);
        if (stop)
            break;
    }
    const std::optional<std::uint64_t> key = m_keys.value(file.name());
    if (!key)
        return std::nullopt;
    return FileGroupKey(*key);
}

} // namespace pairsift::test
