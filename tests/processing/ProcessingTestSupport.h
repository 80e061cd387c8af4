#pragma once

#include "model/FileGrouping.h"
#include "processing/ProcessingStage.h"
#include "testkit/TemporaryTree.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace pairsift {
class PairsiftDatabase;
}

namespace pairsift::test {

// The bytes of one read: a stop takes effect within this many.
inline constexpr qsizetype Chunk = 262144;

// A store in a temporary folder.
std::shared_ptr<PairsiftDatabase> temporaryStore(const TemporaryTree& tree);
// The digest the store holds for each path ("" for none).
QHash<QString, QByteArray> storedDigests(PairsiftDatabase& store);

// Items for files written into the tree, with their sizes read as counting leaves them.
std::vector<FileItemPtr> countedItems(const TemporaryTree& tree, const QList<std::pair<QString, QByteArray>>& files);

// A by-size grouping with one group per inner list (keys 0, 1, …).
FileGrouping groupingOf(const std::vector<std::vector<FileItemPtr>>& groups);
// Items for the paths, without touching the file system.
std::vector<FileItemPtr> itemsNamed(const QStringList& names);
// The names of the files of each group, each group and the list of groups sorted.
std::vector<QStringList> namesByGroup(const FileGrouping& grouping);

// One progress call as the block received it.
struct ProgressCall {
    QString stage;
    QString file;
    StageProgressInfo info;
};

// Records every progress call and answers stop from the call with the given position (0-based) on.
class ProgressRecorder {
public:
    explicit ProgressRecorder(std::optional<std::size_t> stopAtCall = std::nullopt) : m_stopAtCall(stopAtCall) {}

    StageProgressBlock block();
    const std::vector<ProgressCall>& calls() const { return m_calls; }
    // The calls made before a file (no bytes yet), in order.
    std::vector<ProgressCall> fileCalls() const;

private:
    std::optional<std::size_t> m_stopAtCall;
    std::vector<ProgressCall> m_calls;
};

// A stage whose content operation looks the key up in a table (a missing key or nothing: the content
// cannot be read) and reports `chunksPerFile` chunks of 100 bytes before answering.
class TableStage : public ProcessingStage {
public:
    using Keys = QHash<QString, std::optional<std::uint64_t>>;

    TableStage(QString name, Keys keys, int chunksPerFile = 0, SOLoggerPtr logger = {});

    // Files whose content operation ran, in order.
    const QStringList& contentCalls() const { return m_contentCalls; }

protected:
    FileGroupingKind outputKind() const override { return FileGroupingByHash; }
    const StageTexts& texts() const override;
    std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) override;

private:
    Keys m_keys;
    int m_chunksPerFile;
    QStringList m_contentCalls;
};

} // namespace pairsift::test
