#pragma once

#include "removal/RemovalCheckedFile.h"
#include "removal/RemovalCheckedFolder.h"
#include "removal/RemovalResult.h"

#include <QByteArray>

#include <optional>

namespace pairsift {

class FileItem;

// What must hold before anything on disk changes for a staged plain-folder file, and what must still
// hold immediately before each step that moves or removes a name. The staged file's folder and its kept
// copy's folder are opened from the staged file's location without following a link below it (see
// RemovalCheckedFolder), and every step works relative to them. The staged path must hold the regular file
// the scan recorded (same size; a path with only a link to its kept copy is already gone, one with nothing
// is refused, and so is one beside which an interrupted removal left a copy), its folder must allow the
// change, and the kept copy the row names must be another regular file of the recorded size. With
// `needsSameContent` (before a permanent deletion or a replacement by a link) both files are also read in
// full through descriptors held open until the removal ends and must have the same SHA-1; the stop test
// is asked after every 256 KiB. Blocks on the file system.
class RemovalCheck {
public:
    static const QString changedWhileChecked;

    RemovalCheck(const FileItem& file, bool needsSameContent, const StopTest& isStopped);

    // Nothing when the file may go; otherwise AlreadyGone, Refused or Stopped.
    const std::optional<RemovalResult>& verdict() const { return m_verdict; }
    int folder() const { return m_folder.get(); }
    // The staged file's name in folder().
    const QByteArray& name() const { return m_name; }

    // Immediately before `name` (the staged file's own name, or the name it was moved to) is moved or
    // removed: the folder is still the one at the staged path, `name` still holds the checked file
    // unchanged, and the kept copy's path still holds the checked kept copy.
    bool isUnchanged(const QByteArray& name) const;
    // The staged file was renamed to `name` in folder(), which changes its ctime: the new ctime is taken when
    // `name` holds that very file with nothing else about it changed (see RemovalCheckedFile::acceptRename).
    bool acceptRename(const QByteArray& name) { return m_staged.acceptRename(folder(), name); }

    // A refusal because something changed between the check and the step.
    static RemovalResult changedRefusal();

private:
    std::optional<RemovalResult> check(const FileItem& file, bool needsSameContent, const StopTest& isStopped);
    std::optional<RemovalResult> checkKeptCopy(const QString& root, const QString& kept, quint64 recordedSize);
    std::optional<RemovalResult> compareContents(const FileItem& file, const StopTest& isStopped);
    bool isKeptCopyUnchanged() const;

    RemovalCheckedFolder m_folder;
    QByteArray m_name;
    RemovalCheckedFolder m_keptFolder;
    // Empty when the row names no kept copy.
    QByteArray m_keptName;
    RemovalCheckedFile m_staged;
    RemovalCheckedFile m_kept;
    std::optional<RemovalResult> m_verdict;
};

} // namespace pairsift
