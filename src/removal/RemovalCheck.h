#pragma once

#include "removal/RemovalResult.h"

#include <functional>
#include <optional>

namespace pairsift {

class FileItem;

// Answers true when the user asked the run to stop.
using StopTest = std::function<bool()>;

// What must still hold before anything on disk changes for a staged plain-folder file. The staged path
// must hold the regular file the scan recorded (same size; a path without anything, or with only a link
// to its kept copy, is already gone, unless a copy set aside by an interrupted removal still exists), its
// folder must allow the change, and the kept copy the row names must be another regular file of the
// recorded size. With `needsSameContent` (before a permanent deletion or a replacement by a link) both
// files are also read in full and must have the same SHA-1; the stop test is asked after every 256 KiB.
// Nothing when the file may go; otherwise AlreadyGone, Refused or Stopped. Blocks on the file system.
std::optional<RemovalResult> checkBeforeRemoval(const FileItem& file, bool needsSameContent, const StopTest& isStopped);

} // namespace pairsift
