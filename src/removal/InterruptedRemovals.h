#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace pairsift {

class PairsiftDatabase;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// Replacing a file by a link works with two hidden names beside it, both derived from the file's own name
// so that whatever a crash leaves behind says which file it belongs to: the new link is made as
// ".pairsift-link-<name>" and the file keeps a second name ".pairsift-aside-<name>" until the link has
// taken its place. A name too long for that keeps its first bytes and a digest of the whole name, so that
// both names fit for every name that fits.
QByteArray temporaryLinkName(const QByteArray& name);
QByteArray asideName(const QByteArray& name);
// The same for a full path.
QByteArray temporaryLinkPath(const QByteArray& path);
QByteArray asidePath(const QByteArray& path);

// A copy of the file at `path` set aside by an interrupted replacement still exists.
bool hasAsideCopy(const QString& path);

// Puts back what an interrupted replacement of the file at each path left beside it: a file set aside
// returns to its path when that is empty (or holds the replacement link, whose row was never finished);
// a file set aside that is still in place loses its second name; a temporary link is removed. Blocks on
// the file system; every repair and every leftover it cannot repair is logged.
void recoverInterruptedRemovals(const QStringList& paths, const SOLoggerPtr& logger);
// The same for the store's staged rows and their kept copies. Called once the store is open, before any
// removal can start.
void recoverInterruptedRemovals(PairsiftDatabase& database, const SOLoggerPtr& logger);

} // namespace pairsift
