#pragma once

#include "photolibs/ContainerType.h"
#include "scan/LocationWalker.h"
#include "settings/Filter.h"
#include "settings/LocationItem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace pairsift {

class CountingViewController;
class PairsiftDatabase;
class Session;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// One walk of the counting stage, run on the counting queue: prunes the store's live rows, walks every
// location inside one store transaction and commits it, or rolls it back on stop. Decisions about single
// entries are the controller's (shouldIgnoreFile, addFile); this class applies them to the locations.
class CountingScan {
public:
    CountingScan(CountingViewController& controller, QList<LocationItemPtr> locations, QList<Filter> filters,
        std::shared_ptr<PairsiftDatabase> db, std::shared_ptr<Session> session, SOLoggerPtr logger);

    // Counting queue; blocks until the walk ends. An unreadable folder is logged and skipped; a stop, or
    // an insert failure that ended the transaction, ends the walk after the current entry and rolls it
    // back. True only when every location was walked without a stop and the transaction was committed.
    bool run();

private:
    // False when the walk was stopped.
    bool scanLocation(const LocationItemPtr& location);
    // The entry visitor for one walked folder.
    LocationWalker::Action visitEntry(const LocationWalker::Entry& entry, const ContainerType& containerType,
        const QString& containerPath);
    // A folder, or a link to one: never offered; SkipDescendants for a package or an ignored folder.
    LocationWalker::Action visitFolder(const QString& resolvedPath);
    // A regular file, with its attributes or the reason (an errno value) they could not be read.
    void offerFile(const QString& path, const std::optional<FileAttributes>& attributes, int attributesError,
        const ContainerType& containerType, const QString& containerPath);
    // The program's data or configuration folder, or a path below one: the live store, its journal and
    // the log being written are never counted, hashed or offered for removal.
    bool isOwnPath(const QString& path) const;
    // True when the root lies inside a listed photo library, which is walked only in its "Masters".
    bool isInsideListedLibrary(const QString& root) const;
    // The user stopped the scan, or the store could not keep it.
    bool isStopped() const;

    CountingViewController& m_controller;
    const QList<LocationItemPtr> m_locations;
    const QList<Filter> m_filters;
    const std::shared_ptr<PairsiftDatabase> m_db;
    const std::shared_ptr<Session> m_session;
    const SOLoggerPtr m_logger;
    LocationWalker m_walker;
    // The listed locations that are photo libraries, as walked.
    QStringList m_libraryRoots;
    const QStringList m_ownFolders;
    // The store's file and journal, should they lie outside those folders.
    QStringList m_ownFiles;
    bool m_isStoreFailed = false;
};

} // namespace pairsift
