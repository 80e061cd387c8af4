#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace pairsift {

class PairsiftDatabase;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// Removal works with two hidden names beside a file, both derived from the file's own name so that whatever
// a crash leaves behind says which file it belongs to: the file moves to ".pairsift-aside-<name>" until it
// is in the Trash or deleted, and a link that replaces it is made as ".pairsift-link-<name>" until it takes
// the file's name. A name too long for that keeps its first bytes and a digest of the whole name, so that
// both names fit for every name that fits.
QByteArray temporaryLinkName(const QByteArray& name);
QByteArray asideName(const QByteArray& name);
// The same for a full path.
QByteArray temporaryLinkPath(const QByteArray& path);
QByteArray asidePath(const QByteArray& path);

// A copy of the file at `path` set aside by an interrupted replacement still exists.
bool hasAsideCopy(const QString& path);

// Puts back what an interrupted removal of the file at each path left beside it: a file set aside returns
// to its path when that is empty or holds the replacement link (a finished replacement leaves no file set
// aside), and a temporary link is removed. Something else at the path is never replaced: the file set aside
// then stays for the user. Blocks on the file system; every repair and every leftover it cannot repair is
// logged.
void recoverInterruptedRemovals(const QStringList& paths, const SOLoggerPtr& logger);
// The same for the store's staged rows and their kept copies. Called once the store is open, before any
// removal can start.
void recoverInterruptedRemovals(PairsiftDatabase& database, const SOLoggerPtr& logger);

} // namespace pairsift
