#pragma once

#include "model/FileId.h"
#include "scan/LocationWalker.h"
#include "scan/PseudoFileSystems.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pairsift {

// Lists the folders of one walk on a few helper threads, ahead of the walk and in the order it will
// enter them, so the walking thread finds each folder's entries and their attributes ready. Nothing is
// logged here: a listing records its failures for the walk to report when it reaches the folder, so the
// log reads as if every folder had been listed in turn. The walk never waits for a helper: a folder it
// asks for that no helper has finished is listed on the walk's own thread.
class FolderReadAhead {
public:
    // An open folder, kept open while a subfolder still has to be opened through it.
    struct OpenFolder;
    using OpenFolderPtr = std::shared_ptr<OpenFolder>;

    // A folder to list: its name in the parent, opened through the parent's descriptor without following
    // a link (the walked folder itself has no parent and is opened by its path, links followed).
    struct Request {
        OpenFolderPtr parent;
        QByteArray name;
        QByteArray path;
    };

    struct Item {
        LocationWalker::Entry entry;
        // Empty for a name that is not valid UTF-8, which the walk skips with a warning.
        QByteArray name;
        QByteArray path;
    };

    struct Listing {
        // The errno value that kept the folder from being opened or listed at all; 0 when it was.
        int openError = 0;
        // The name of the pseudo file system the folder is on, which is not listed; null for any other.
        const char* pseudoFileSystem = nullptr;
        FileId id;
        // Open until the subfolders the walk enters have been opened.
        OpenFolderPtr folder;
        std::vector<Item> items;
        // An error that ended the listing after `items`.
        int readError = 0;
    };

    struct Task;
    using TaskPtr = std::shared_ptr<Task>;

    // `rootLength` is where entries' relative paths begin in their full paths.
    FolderReadAhead(qsizetype rootLength, int helperCount);
    // Drops what was not taken and joins the helpers (a helper finishes the folder it is listing).
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead&) = delete;
    FolderReadAhead& operator=(const FolderReadAhead&) = delete;

    // Queues folders that the walk enters next, in that order, before every folder queued earlier.
    std::vector<TaskPtr> queue(std::vector<Request> requests);
    // The listing of a queued folder: a helper's, or one made now.
    Listing take(const TaskPtr& task);

private:
    Listing list(Request request) const;
    void help();

    const qsizetype m_rootLength;
    mutable PseudoFileSystems m_pseudoFileSystems;
    std::mutex m_mutex;
    std::condition_variable m_wanted;
    // By the order the walk will take them: the last one first.
    std::map<std::uint64_t, TaskPtr> m_queued;
    std::uint64_t m_nextOrder = 0;
    // Listed or being listed and not taken yet, in folders and in entries: bounds memory and descriptors.
    int m_foldersAhead = 0;
    std::size_t m_entriesAhead = 0;
    // Also read by helpers between entries, so a walk that ends never waits for a large listing.
    std::atomic<bool> m_isEnding{false};
    std::vector<std::thread> m_helpers;
};

} // namespace pairsift
