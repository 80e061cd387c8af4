#pragma once

#include "model/FileAttributes.h"
#include "model/FileId.h"
#include "model/FileItem.h"
#include "photolibs/ContainerType.h"
#include "platform/ProgressMailbox.h"
#include "platform/RunOutcome.h"
#include "scan/LocationWalker.h"
#include "settings/Filter.h"
#include "settings/LocationItem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>

namespace pairsift {

class PairsiftDatabase;
class Session;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// One walk of the counting stage, run on the counting queue: inside one store transaction it prunes the
// store's live rows and walks every location, then commits it, or rolls it back on stop. Each location's
// folders are walked on a thread of its own while the counting queue keeps the files. The scan owns what
// lives for one walk (the locations, filters and small-file threshold read at its start, the identities
// of the files added, the published file count); the controller that starts it owns the stop flag.
class CountingScan {
public:
    // What the scan reads once, at its start.
    struct Settings {
        QList<LocationItemPtr> locations;
        QList<Filter> filters;
        bool ignoreSmallFiles = true;
        double smallFileSize = 0.0;
    };
    // Counting queue: a location that cannot be read, and why (an errno value); the receiver takes it to
    // the main thread.
    using UnreadableLocationBlock = std::function<void(const LocationItemPtr& location, int error)>;

    // `userStopped` must outlive the scan.
    CountingScan(Settings settings, std::shared_ptr<PairsiftDatabase> db, std::shared_ptr<Session> session,
        SOLoggerPtr logger, const std::atomic<bool>& userStopped, UnreadableLocationBlock unreadableLocation);

    // Counting queue; blocks until the walk ends. An unreadable folder is logged and skipped; a stop, or
    // an insert failure that ended the transaction, ends the walk after the current entry and rolls it
    // back. Finished only when every location was walked without a stop and the transaction was
    // committed; failed, with the store's message, when pruning, beginning, an insert or the commit
    // failed; stopped otherwise. An exception from the walk leaves it, with the transaction rolled back.
    RunOutcome run();

    // Counting queue, or any thread once run() has returned: the locations and the folders below them
    // that could not be read.
    UnreadableFolders unreadableFolders() const { return m_unreadableLocations.followedBy(m_walker.unreadableFolders()); }

    // Any thread: the session's file count as the walk last published it.
    std::uint64_t latestFileCount() { return m_fileCount.take(); }

private:
    // What visiting one entry did: how the walk goes on, and the file it offers, if any.
    struct Visit {
        LocationWalker::Action action = LocationWalker::Action::Continue;
        FileItemPtr offered;
    };

    // False when the walk was stopped.
    bool scanLocation(const LocationItemPtr& location);
    // Walks the folder on a thread of its own, ahead of this one, which keeps the files offered and sends
    // what the walk logged where one thread doing both would have. False when the walk was stopped.
    bool walkLocation(const QString& folder, const ContainerType& containerType, const QString& containerPath);
    // Walking thread, as are the three below: the entry visitor for one walked folder.
    Visit visitEntry(const LocationWalker::Entry& entry, const ContainerType& containerType,
        const QString& containerPath);
    // A folder, or a link to one: never offered; SkipDescendants for a package or an ignored folder.
    LocationWalker::Action visitFolder(const QString& resolvedPath);
    // A regular file, with its attributes or the reason (an errno value) they could not be read; null when
    // a filter, the program's own files or unreadable attributes leave it out.
    FileItemPtr offerFile(const QString& path, const std::optional<FileAttributes>& attributes, int attributesError,
        const ContainerType& containerType, const QString& containerPath);
    // The file, with the attributes the walk read; null when it is empty, below the small-file threshold,
    // or the same file (device, inode) as one already offered in this scan.
    FileItemPtr prepareFile(const QString& path, const ContainerType& containerType, const QString& containerPath,
        const FileAttributes& attributes);
    // Counting queue: adds an offered file to the session and the store.
    void keepFile(const FileItemPtr& file);
    // The program's data or configuration folder, or a path below one: the live store, its journal and
    // the log being written are never counted, hashed or offered for removal.
    bool isOwnPath(const QString& path) const;
    // True when the root lies inside a listed photo library, which is walked only in its "Masters".
    bool isInsideListedLibrary(const QString& root) const;
    // The user stopped the scan, or the store could not keep it.
    bool isStopped() const;
    // The store's last failure as the run's reason.
    RunOutcome storeFailure() const;

    const Settings m_settings;
    const std::shared_ptr<PairsiftDatabase> m_db;
    const std::shared_ptr<Session> m_session;
    const SOLoggerPtr m_logger;
    const std::atomic<bool>& m_userStopped;
    const UnreadableLocationBlock m_unreadableLocation;
    LocationWalker m_walker;
    UnreadableFolders m_unreadableLocations;
    // The listed locations that are photo libraries, as walked.
    QStringList m_libraryRoots;
    const QStringList m_ownFolders;
    // The store's file and journal, should they lie outside those folders.
    QStringList m_ownFiles;
    // Set by the counting queue, read by the walking thread too.
    std::atomic<bool> m_isStoreFailed{false};
    // Why, in the store's words; the counting queue's.
    QString m_storeFailure;
    // The files offered in this scan; the walking thread's.
    std::unordered_set<FileId> m_offeredFiles;
    // Read by the controller's refresh timer, so a walk of a million files posts no event per file.
    ProgressMailbox<std::uint64_t> m_fileCount;
};

} // namespace pairsift
