#pragma once

#include "model/FileGroup.h"
#include "model/FileGrouping.h"
#include "model/FileGroupsBySize.h"
#include "model/FileItem.h"
#include "model/Sha1Digest.h"
#include "platform/BackgroundRelease.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace pairsift {

class LocationItem;
using LocationItemPtr = std::shared_ptr<LocationItem>;
class PairsiftDatabase;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The marked files of the groups that are marked only in part, and their bytes. Fully marked groups count
// nothing, since staging leaves them alone.
struct PSFTSessionMarkedInfo {
    std::uint64_t count = 0;
    double size = 0.0;
};

// How the results list orders its groups: "name", "fileSize" or (any other key) "total".
struct GroupSortDescriptor {
    QString key;
    bool ascending = true;
};

// The in-memory model of one scan and of the results shown after it. During counting it receives every
// candidate (written to the store and filed by size); afterwards it is refilled from the store, grouped by
// SHA-1. No lock: only the counting queue calls addNewFile() while the main thread may read fileCount();
// everything else runs on the main thread.
class Session {
public:
    using FileGroupsByHash = std::unordered_map<Sha1Digest, FileGroupPtr>;

    // The store is required (never null). Loads the expanded groups.
    Session(std::shared_ptr<PairsiftDatabase> db, SOLoggerPtr logger);

    // Waits for the release of cleared files.
    ~Session();

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const std::vector<FileItemPtr>& allFiles() const { return m_allFiles; }
    // Size groups built while counting, single files included; made on each call. Staging empties them.
    FileGrouping fileGroupsBySize() const { return m_fileGroupsBySize.grouping(m_allFiles, 1); }
    // The size groups of two files or more, where the comparison starts; the single files are never copied.
    FileGrouping candidateGroupsBySize() const { return m_fileGroupsBySize.grouping(m_allFiles, 2); }
    const FileGroupsByHash& fileGroupsByHash() const { return m_fileGroupsByHash; }
    // The group keys in display order, as of the last sort (clear() leaves them).
    const std::vector<Sha1Digest>& sortedFileHashes() const { return m_sortedFileHashes; }
    // Files that share their size with at least one other file.
    std::uint64_t countOfDuplicatesBySize() const { return m_countOfDuplicatesBySize; }
    const std::shared_ptr<PairsiftDatabase>& db() const { return m_db; }
    const SOLoggerPtr& logger() const { return m_logger; }

    // --- Filling ---

    // Counting queue: keeps the file (even when the store fails), inserts its row and files it by size.
    // False, logged, when the store refuses the row; the file then joins no size group.
    bool addNewFile(const FileItemPtr& file);
    // Loading: keeps the file and files it under its SHA-1. No store access.
    void addFile(const FileItemPtr& file);
    // Files the file under its SHA-1, making the group on first use; a file without one is ignored.
    void groupFileByHash(const FileItemPtr& file);
    // Drops the groups of fewer than two files (their files stay in allFiles()).
    void pruneUniqueGroups();
    // Empties files and groups; the display order, the expanded groups, store and logger stay. The
    // files and groups are released on a helper thread.
    void clear();
    // Clears (first, so that the old and the new files are not held at once), then adds every live row
    // of the store that has a SHA-1 and drops single-file groups.
    void loadFilesFromDatabase();
    // Any thread, no session needed: the store's live rows that have a SHA-1, as new file items. The
    // slow half of loading, so that a caller can run it off the main thread. `isComplete`, when given,
    // tells whether every row was read (false after a failed read: the files are only some of them).
    static std::vector<FileItemPtr> readFilesWithDigest(PairsiftDatabase& db, bool* isComplete = nullptr);
    // Loaded files with their groups by SHA-1, single-file groups dropped (their files stay in `files`).
    struct LoadedFiles {
        std::vector<FileItemPtr> files;
        FileGroupsByHash groups;
    };
    // Any thread: groups the files in their order, so that a caller can do it off the main thread.
    static LoadedFiles groupLoadedFiles(std::vector<FileItemPtr> files);
    // The fast half of loading: clears and takes over what groupLoadedFiles() made.
    void replaceLoadedFiles(LoadedFiles loaded);
    // Both halves at once.
    void replaceFiles(const std::vector<FileItemPtr>& files) { replaceLoadedFiles(groupLoadedFiles(files)); }

    // --- Queries ---

    // Safe to read from any thread while the counting queue adds files.
    std::uint64_t fileCount() const { return m_fileCount.load(std::memory_order_acquire); }
    std::uint64_t groupCount() const { return m_fileGroupsByHash.size(); }
    // Null when there is none.
    FileGroupPtr fileGroupWithSHA1(const QByteArray& sha1) const;
    FileGroupPtr fileGroupWithFile(const FileItemPtr& file) const;
    // The group of the key at this display position; null when that key has no group any more.
    // The index must be below the number of sorted keys.
    FileGroupPtr groupAtIndex(std::uint64_t index) const;
    PSFTSessionMarkedInfo markedInfo() const;
    double wastedSpace() const;
    // The group the results list selects once this one disappears: the one before it in display order
    // (the second for the first); null when it is not listed or was the only one.
    FileGroupPtr selectedGroupAfterRemovingGroup(const FileGroupPtr& group) const;

    // --- Marking and ordering ---

    // Marks every file but the kept one in every group; marks already set stay.
    void markDuplicateFiles();
    void unmarkAllFiles();
    // Sorts every group by the keep rule with the locations (in list order) and the prefer-files setting,
    // read once.
    void sortFilesInGroupsWithLocations(const QList<LocationItemPtr>& locations);
    // The same with the location paths and a prefer-files value (0 keeps older files, anything else newer).
    void sortFilesInGroups(const QStringList& locationPaths, qint64 preferFiles);
    // Sets sortedFileHashes(); groups with equal values are ordered by their digest.
    void sortGroupsUsingDescriptor(const GroupSortDescriptor& descriptor);

    // --- Staging for removal ---

    // Stages every marked file of every group marked only in part, in one store transaction, and answers
    // the group to select next (null for none). Fully marked groups are left alone, so no group loses all
    // its copies. Nothing is staged, and nothing is answered, when the transaction cannot begin or its
    // commit fails (it is then rolled back): the caller must not move on as if staging had worked.
    std::optional<FileGroupPtr> removeMarkedFiles();
    // removeMarkedFiles() in three steps, so that the store's part can run on a worker while the list stays
    // on screen: planStaging() (the session's thread) chooses the next group and the files, and sets their
    // link targets; stageRows() (any thread; the session is not touched) stages the files' rows in one
    // transaction with the same failure rules; didStage() drops the staged files from allFiles().
    struct StagingPlan {
        FileGroupPtr nextGroup;
        QList<FileItemPtr> files;
    };
    StagingPlan planStaging();
    // Reads only what no thread changes while the window is busy: the files' paths and link targets. The
    // paths are composed here, off the session's thread, since a large staging composes many.
    static bool stageRows(PairsiftDatabase& db, const QList<FileItemPtr>& files, const SOLoggerPtr& logger);
    void didStage(const StagingPlan& plan) { dropFromAllFiles(plan.files); }
    // Drops the file from allFiles() and stages its row with its link target; false, logged, on failure.
    bool removeFile(const FileItemPtr& file);
    // removeFile() for each file in order, going on after a failure; true when all succeeded.
    bool removeFiles(const QList<FileItemPtr>& files);
    // Stages every file of the group but the kept one, whatever their marks.
    bool removeGroup(const FileGroupPtr& group);

    // --- Expanded groups of the results list (keys are group digests) ---

    // Each key once, in the order first added.
    const QList<QByteArray>& expandedGroups() const { return m_expandedGroups; }
    bool isGroupExpanded(const QByteArray& sha1) const { return m_expandedGroupKeys.contains(sha1); }
    // Appends the group's digest unless it is already listed: the list is restored by expanding rows,
    // which reports each expansion again.
    void addExpandedGroup(const FileGroupPtr& group);
    // Removes every entry of the group's digest.
    void removeExpandedGroup(const FileGroupPtr& group);
    // Both in one pass over the list, for expanding or collapsing every listed group at once.
    void addExpandedGroups(const QList<QByteArray>& sha1s);
    void removeExpandedGroups(const QSet<QByteArray>& sha1s);
    void saveExpandedGroups();
    // A key the store holds twice is taken once.
    void loadExpandedGroups();
    // Over a snapshot, in the stored order.
    void enumerateExpandedGroupsWithBlock(const std::function<void(const QByteArray& sha1)>& block) const;
    void clearExpandedGroups();

private:
    // The store half of removeFile(): stages the row, logs a failure.
    bool stageFile(const FileItem& file);
    static bool stageRow(PairsiftDatabase& db, const QString& path, const QString& keptCopy, const SOLoggerPtr& logger);
    // Removes these very objects from allFiles() in one pass.
    void dropFromAllFiles(const QList<FileItemPtr>& files);
    void publishFileCount();
    // Adds the files and drops single-file groups.
    // The answer of removeMarkedFiles(), chosen before anything changes.
    FileGroupPtr groupToSelectAfterStaging() const;
    // Null when there is none.
    FileGroupPtr groupWithDigest(const Sha1Digest& digest) const;

    std::shared_ptr<PairsiftDatabase> m_db;
    SOLoggerPtr m_logger;
    std::vector<FileItemPtr> m_allFiles;
    std::atomic<std::uint64_t> m_fileCount{0};
    FileGroupsBySize m_fileGroupsBySize;
    FileGroupsByHash m_fileGroupsByHash;
    std::vector<Sha1Digest> m_sortedFileHashes;
    std::uint64_t m_countOfDuplicatesBySize = 0;
    QList<QByteArray> m_expandedGroups;
    QSet<QByteArray> m_expandedGroupKeys;
    // Cleared files and groups go here.
    BackgroundRelease m_release{QStringLiteral("com.lanternforges.Pairsift.release")};
};

} // namespace pairsift
