#pragma once

#include "model/FileItem.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace pairsift {

class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// What became of one staged file.
enum class RemovalOutcome {
    Removed,     // in the Trash, deleted, or replaced by a link: its row can go
    AlreadyGone, // nothing exists at the path any more: only its row can go
    Failed,      // refused or failed, reason logged: the file keeps its row and gets an error mark
};

// The two steps that can fail after something on disk has changed; tests replace them to make them fail.
struct RemovalFileSystem {
    using MoveToTrash = std::function<bool(const QString& path, Error* error)>;

    // Into the Trash of the path's volume. Empty: there is no Trash, and every move fails.
    MoveToTrash moveToTrash;
    // Renames within one folder and never replaces what exists at `to` (fails with EEXIST instead).
    std::function<bool(const QByteArray& from, const QByteArray& to, Error* error)> renameWithoutReplacing;

    // The system's rename with the given Trash. The engine links no desktop service: the window hands in
    // the desktop Trash.
    static RemovalFileSystem withTrash(MoveToTrash moveToTrash);
};

// The disk side of removal for one staged plain-folder file. Runs on the removal queue and blocks it; every
// outcome is logged with its reason. Before anything changes the staged path must still hold a regular file
// or a link, and the kept copy the row names must be a regular file of the recorded size that is not the
// staged file itself; otherwise nothing is touched. A file is deleted permanently only when it carries an
// error mark (the second attempt), and then only by unlinking that one file or link.
class FileRemover {
public:
    FileRemover(SOLoggerPtr logger, RemovalFileSystem fileSystem);

    // Moves the file to the Trash, or deletes it permanently when `isMarked`.
    RemovalOutcome deleteFile(const FileItem& file, bool isMarked);
    // Replaces the file by an absolute symbolic link to its kept copy. The path is never left empty on a
    // failure: the link is made under a temporary name first, the file goes to the Trash (or is deleted when
    // marked), and the link is renamed into place; if that rename fails the file comes back from a hard link
    // kept beside it meanwhile.
    RemovalOutcome deleteAndLinkFile(const FileItem& file, bool isMarked);

    // False only when nothing exists at the path (a link counts, whatever it points to).
    static bool existsAtPath(const QString& path);

    // Logs what the system knows of the file and its volume after a failure.
    void logFileInfo(const QString& path) const;

private:
    // How the removal ends before anything changes (AlreadyGone or Failed); nothing when it may proceed.
    std::optional<RemovalOutcome> checkBeforeRemoval(const FileItem& file) const;
    bool removeStagedFile(const QString& path, bool isMarked);
    // Undoes the replacement's first steps; the file is then untouched or back in place.
    void rollBack(const QByteArray& temporaryLink, const QByteArray& aside, const QByteArray& path,
        bool isFileRemoved) const;

    SOLoggerPtr m_logger;
    RemovalFileSystem m_fileSystem;
};

} // namespace pairsift
