#pragma once

#include "model/FileItem.h"
#include "platform/Error.h"
#include "removal/RemovalCheck.h"
#include "removal/RemovalResult.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace pairsift {

class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The two steps that can fail after something on disk has changed; tests replace them to make them fail
// (or throw, to leave things as a crash would).
struct RemovalFileSystem {
    // Moves the entry `name` of the open `folder` (full path `path`) into the Trash of its volume, asking
    // `mayMove` immediately before the move; see moveToTrash() of the desktop layer.
    using MoveToTrash = std::function<bool(int folder, const QByteArray& name, const QString& path,
        const std::function<bool()>& mayMove, Error* error)>;

    // Empty: there is no Trash, and every move fails.
    MoveToTrash moveToTrash;
    // Renames within the open `folder` and never replaces what exists at `to` (fails with EEXIST instead).
    std::function<bool(int folder, const QByteArray& from, const QByteArray& to, Error* error)> renameWithoutReplacing;

    // The system's rename with the given Trash. The engine links no desktop service: the window hands in
    // the desktop Trash.
    static RemovalFileSystem withTrash(MoveToTrash moveToTrash);
};

// The disk side of removal for one staged plain-folder file. Runs on the removal queue and blocks it; every
// outcome other than Removed is logged with its reason. Nothing changes unless RemovalCheck agrees (with the
// contents compared before a permanent deletion or a replacement by a link), and every step acts relative
// to the folder the check opened, on names it confirms immediately before: a file that changed meanwhile
// is refused ("it changed while it was being checked"). A file is deleted permanently only when it
// carries an error mark and the Trash refused it again (the user then confirmed it), and then only by
// unlinking that one regular file.
class FileRemover {
public:
    FileRemover(SOLoggerPtr logger, RemovalFileSystem fileSystem, StopTest isStopped = {});

    // Moves the file to the Trash, or deletes it permanently when `isMarked`.
    RemovalResult deleteFile(const FileItem& file, bool isMarked);
    // Replaces the file by an absolute symbolic link to its kept copy. The path is never left empty on a
    // failure: the link is made under a temporary name first, the file keeps a second name beside it,
    // goes to the Trash (or is deleted when marked), and the link is renamed into place; if that rename
    // fails the file comes back from its second name. Both names are logged before the first change, and
    // recoverInterruptedRemovals() puts things back after a crash.
    RemovalResult deleteAndLinkFile(const FileItem& file, bool isMarked);

    // False only when nothing exists at the path (a link counts, whatever it points to).
    static bool existsAtPath(const QString& path);

    // Logs what the system knows of the file and its volume after a failure.
    void logFileInfo(const QString& path) const;

private:
    // The check's verdict is logged.
    void log(const QString& path, const RemovalCheck& check) const;
    RemovalResult changed(const QString& path) const;
    // Moves the checked file to the Trash, or unlinks it when `isMarked`.
    RemovalResult removeStagedFile(const RemovalCheck& check, const QString& path, bool isMarked);
    RemovalResult replaceByLink(RemovalCheck& check, const QString& path, const QString& kept, bool isMarked);
    // Undoes the replacement's first steps in the checked folder; the file is then untouched or back in place.
    void rollBack(const RemovalCheck& check, const QString& path, const QByteArray& temporaryLink,
        const QByteArray& aside, bool isFileRemoved) const;

    SOLoggerPtr m_logger;
    RemovalFileSystem m_fileSystem;
    StopTest m_isStopped;
};

} // namespace pairsift
