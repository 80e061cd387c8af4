#pragma once

#include "platform/FileDescriptor.h"
#include "removal/RemovalCheckedFile.h"
#include "removal/RemovalResult.h"

#include <QByteArray>

#include <optional>

#include <sys/stat.h>

namespace pairsift {

class FileItem;

// What must hold before anything on disk changes for a staged plain-folder file, and what must still
// hold immediately before each step that removes or replaces a name. The staged file's folder is opened
// once (the folder itself not a link) and every step works relative to it. The staged path must hold the
// regular file the scan recorded (same size; a path without anything, or with only a link to its kept
// copy, is already gone, unless a copy set aside by an interrupted removal still exists), its folder must
// allow the change, and the kept copy the row names must be another regular file of the recorded size.
// With `needsSameContent` (before a permanent deletion or a replacement by a link) both files are also
// read in full through descriptors held open until the removal ends and must have the same SHA-1; the
// stop test is asked after every 256 KiB. Blocks on the file system.
class RemovalCheck {
public:
    static const QString changedWhileChecked;

    RemovalCheck(const FileItem& file, bool needsSameContent, const StopTest& isStopped);

    // Nothing when the file may go; otherwise AlreadyGone, Refused or Stopped.
    const std::optional<RemovalResult>& verdict() const { return m_verdict; }
    int folder() const { return m_folder.get(); }
    // The staged file's name in folder().
    const QByteArray& name() const { return m_name; }

    // Immediately before `name` (the staged file's own name, or a second name it was given) is removed or
    // moved: the folder is still the one at the staged path, `name` still holds the checked file unchanged,
    // and so does the kept copy's path.
    bool isUnchanged(const QByteArray& name) const;
    bool isKeptCopyUnchanged() const;
    // The staged file was given `name` as a second name (see RemovalCheckedFile::acceptSecondName).
    bool acceptSecondName(const QByteArray& name) { return m_staged.acceptSecondName(folder(), name); }

    // A refusal because something changed between the check and the step.
    static RemovalResult changedRefusal();

private:
    std::optional<RemovalResult> check(const FileItem& file, bool needsSameContent, const StopTest& isStopped);
    std::optional<RemovalResult> checkKeptCopy(quint64 recordedSize);
    std::optional<RemovalResult> compareContents(const FileItem& file, const StopTest& isStopped);

    FileDescriptor m_folder;
    struct stat m_folderStatus {};
    QByteArray m_folderPath;
    QByteArray m_name;
    QByteArray m_keptPath;
    RemovalCheckedFile m_staged;
    RemovalCheckedFile m_kept;
    std::optional<RemovalResult> m_verdict;
};

} // namespace pairsift
