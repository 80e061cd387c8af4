#pragma once

#include "platform/Error.h"

#include <QString>

namespace pairsift {

// Moves the file, link or folder at `path` (a final link is moved, not followed) into the freedesktop.org
// Trash: the home trash for the home volume, else the volume's own ".Trash-$uid". It never copies across
// devices, so a volume without a usable trash is a failure. Blocks the calling thread; on failure nothing
// has moved and `error` holds GIO's code and message.
bool moveToTrash(const QString& path, Error* error = nullptr);

} // namespace pairsift
