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

// The steps that move or remove a staged file's names; tests replace them to make them fail, to race them
// or to leave things as a crash would (by throwing).
struct RemovalFileSystem {
    // Moves the entry `name` of the open `folder` into the Trash of its volume as the file that was at
    // `path`, asking `mayMove` immediately before the move; see moveToTrash() of the desktop layer.
    using MoveToTrash = std::function<bool(int folder, const QByteArray& name, const QString& path,
        const std::function<bool()>& mayMove, Error* error)>;
    using Rename = std::function<bool(int folder, const QByteArray& from, const QByteArray& to, Error* error)>;
    using Remove = std::function<bool(int folder, const QByteArray& name, Error* error)>;

    // Empty: there is no Trash, and every move fails.
    MoveToTrash moveToTrash;
    // Renames within the open `folder` and never replaces what exists at `to` (fails with EEXIST instead).
    Rename renameWithoutReplacing;
    // Removes one name of the open `folder`: a file or a link, never a folder.
    Remove removeName;

    // The system's rename and unlink with the given Trash. The engine links no desktop service: the window
    // hands in the desktop Trash.
    static RemovalFileSystem withTrash(MoveToTrash moveToTrash);
};

// The disk side of removal for one staged plain-folder file. Runs on the removal queue and blocks it; every
// outcome other than Removed is logged with its reason. Nothing changes unless RemovalCheck agrees (with the
// contents compared before a permanent deletion or a replacement by a link), and every step acts relative
// to the folders the check opened. The file first moves to a hidden name beside it (see asideName()), which
// is then confirmed to hold the very file that was checked, with its kept copy unchanged; only then does
// that name go to the Trash or away, so that another program's save over the file's path, at any moment,
// lands on the path and is never what is removed. On any mismatch or failure the file comes back to its
// name (or, when something else took the name meanwhile, stays under the hidden name, which the result
// gives). A file is deleted permanently only when it carries an error mark and the Trash refused it again
// (the user then confirmed it), and then only by unlinking that one regular file.
class FileRemover {
public:
    FileRemover(SOLoggerPtr logger, RemovalFileSystem fileSystem, StopTest isStopped = {});

    // Moves the file to the Trash, or deletes it permanently when `isMarked`.
    RemovalResult deleteFile(const FileItem& file, bool isMarked);
    // Replaces the file by an absolute symbolic link to its kept copy. The link is made under a temporary
    // name first and takes the file's name once the file is set aside; only then does the file go to the
    // Trash (or away, when marked), and if it cannot, it takes its name back. The path is never left empty
    // on a failure. Both hidden names are logged before the first change, and recoverInterruptedRemovals()
    // puts things back after a crash.
    RemovalResult deleteAndLinkFile(const FileItem& file, bool isMarked);

    // False only when nothing exists at the path (a link counts, whatever it points to).
    static bool existsAtPath(const QString& path);

    // Logs what the system knows of the file and its volume after a failure.
    void logFileInfo(const QString& path) const;

private:
    // The check's verdict is logged.
    void log(const QString& path, const RemovalCheck& check) const;
    RemovalResult changed(const QString& path) const;
    // A failed step, logged, as the result the file gets.
    RemovalResult trashFailure(const QString& path, const Error& error) const;
    RemovalResult deleteFailure(const QString& path, const Error& error) const;
    // The result, with the file's diagnostics logged after a failure.
    RemovalResult reported(const QString& path, RemovalResult result) const;

    // Moves the checked file to `aside` in its folder and confirms that `aside` holds that very file.
    // Nothing when it is set aside; otherwise the file is at its name again and the answer says why
    // (`renameFailure` words a rename that failed, when nothing moved).
    std::optional<RemovalResult> setAside(RemovalCheck& check, const QString& path, const QByteArray& aside,
        const std::function<RemovalResult(const Error&)>& renameFailure);
    // Brings the file set aside back to its name, never over something that took the name meanwhile: then
    // it stays at `aside`, which `result`'s reason names.
    RemovalResult putBack(const RemovalCheck& check, const QString& path, const QByteArray& aside, RemovalResult result) const;
    RemovalResult leftAside(const QString& path, const QByteArray& aside, const Error& error, RemovalResult result) const;
    // Once its folder, the file set aside and its kept copy are confirmed unchanged, the file set aside goes
    // to the Trash, or is deleted when `isMarked`: nothing answered; otherwise it is still at `aside` and the
    // answer says why.
    std::optional<RemovalResult> removeAside(RemovalCheck& check, const QString& path, const QByteArray& aside, bool isMarked);
    RemovalResult replaceByLink(RemovalCheck& check, const QString& path, const QString& kept, bool isMarked);
    // The link to `target` took the file's name, but the file set aside could not go: the file takes its
    // name back unless another program's save replaced the link meanwhile.
    RemovalResult restoreOverLink(const RemovalCheck& check, const QString& path, const QByteArray& aside,
        const QByteArray& temporaryLink, const QByteArray& target, RemovalResult result) const;

    SOLoggerPtr m_logger;
    RemovalFileSystem m_fileSystem;
    StopTest m_isStopped;
};

} // namespace pairsift
