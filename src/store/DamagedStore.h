#pragma once

#include <QDateTime>
#include <QString>

namespace pairsift {

// Moves a store that cannot be used out of the way, never deleting it: "<store>.damaged-<time>" beside
// it, with its journal following as "<that name>-journal" (a journal left behind would be played back
// into the new store). Answers the new path, an empty text when there was nothing to move, or a null
// text with `failureReason` filled. Call it while holding the store's lock.
QString setDamagedStoreAside(const QString& storePath, const QDateTime& now, QString* failureReason);

} // namespace pairsift
