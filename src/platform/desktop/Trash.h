#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace pairsift {

// Moves the entry `name` of the open folder `folder` (a file, link or folder; a link is moved, not followed)
// into the freedesktop.org Trash of its volume (see TrashFolder); `path` is the full path it had, recorded
// as its original place and naming it in the Trash (`name` may be another name the caller gave it). The
// move is one rename and never a copy, so a volume without a usable trash is a failure; a bind mount of the
// home volume that the home trash cannot take uses its own. A name too long for its ".trashinfo" goes in
// under a shortened unique name. The info file is written
// whole before the entry moves, and removed again when the move fails. `mayMove`, asked immediately before
// the rename, can still refuse it: nothing has moved then (ECANCELED). Blocks the calling thread; on
// failure nothing has moved and `error` says why.
bool moveToTrash(int folder, const QByteArray& name, const QString& path, const std::function<bool()>& mayMove,
    Error* error = nullptr);

} // namespace pairsift
