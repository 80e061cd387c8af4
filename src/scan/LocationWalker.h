#pragma once

#include "model/FileId.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

namespace pairsift {

class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// Walks folder trees with the POSIX directory calls, depth first, hidden entries included, never
// following a symbolic link into a folder. Pending folders are kept on an explicit stack of paths and
// each folder is read to its end and closed before the next one is opened, so neither the call stack
// nor the open descriptors grow with the depth of the tree, and memory grows only with the number of
// folders still waiting. One walker serves one scan: a folder it has already entered (same device and
// inode: a location given twice or nested, a bind mount) is not entered again.
class LocationWalker {
public:
    enum class EntryKind { Directory, RegularFile, SymbolicLink, Other };

    struct Entry {
        // Relative to the walked folder.
        QString relativePath;
        QString fullPath;
        EntryKind kind;
    };

    enum class Action {
        Continue,
        // For a folder: do not enter it. Means Continue for anything else.
        SkipDescendants,
        // Ends the walk at once.
        Stop,
    };

    using Visitor = std::function<Action(const Entry& entry)>;

    explicit LocationWalker(SOLoggerPtr logger);

    // Calls the visitor for every entry below `folder` (the folder itself excluded). A folder that cannot
    // be read is logged and skipped, and a name that is not valid UTF-8 is skipped with a warning naming
    // its folder; neither ends the walk. A `folder` that does not exist yields nothing, silently.
    // False when the visitor stopped the walk.
    bool walk(const QString& folder, const Visitor& visitor);

private:
    // Reads one folder, hands its entries to the visitor and appends the subfolders to enter to
    // `subfolders`; false when the visitor stopped. `rootLength` is where relative paths begin.
    bool readFolder(const QByteArray& folder, qsizetype rootLength, bool isWalkRoot, const Visitor& visitor,
        std::vector<QByteArray>& subfolders);

    SOLoggerPtr m_logger;
    std::unordered_set<FileId> m_enteredFolders;
};

} // namespace pairsift
