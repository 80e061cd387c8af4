#pragma once

#include "model/FileAttributes.h"
#include "model/FileId.h"
#include "scan/UnreadableFolders.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace pairsift {

class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// Walks folder trees with the POSIX directory calls, depth first, hidden entries included, never
// following a symbolic link into a folder. Every folder below the walked one is opened relative to its
// parent's descriptor without following a link, and attributes are read relative to the folder, so a
// folder swapped for a link while the walk runs cannot lead it outside the walked tree. Pending folders
// are kept on an explicit stack, so the call stack does not grow with the depth of the tree; a folder's
// descriptor stays open only until its last subfolder has been opened (at most one per level of the
// current path, plus those of the folders listed ahead). One walker serves one scan: a folder it has
// already entered (same device and inode: a location given twice or nested, a bind mount) is not
// entered again.
class LocationWalker {
public:
    enum class EntryKind { Directory, RegularFile, SymbolicLink, Other };

    struct Entry {
        // Relative to the walked folder.
        QString relativePath;
        QString fullPath;
        EntryKind kind;
        // For a regular file: what its folder says about it, or nothing with the reason (an errno value)
        // in attributesError.
        std::optional<FileAttributes> attributes;
        int attributesError = 0;
    };

    enum class Action {
        Continue,
        // For a folder: do not enter it. Means Continue for anything else.
        SkipDescendants,
        // Ends the walk at once.
        Stop,
    };

    using Visitor = std::function<Action(const Entry& entry)>;

    // Threads that list folders ahead of the walk; the walk's order and log are the same with none.
    static constexpr int defaultHelperCount = 3;

    explicit LocationWalker(SOLoggerPtr logger, int helperCount = defaultHelperCount);

    // Calls the visitor for every entry below `folder` (the folder itself excluded). A folder that cannot
    // be read is logged and skipped, and a name that is not valid UTF-8 or a folder on a pseudo file
    // system (proc, sysfs, devtmpfs …, wherever mounted) is skipped with a warning naming its folder; none
    // of these ends the walk. A `folder` that does not exist yields nothing, silently.
    // False when the visitor stopped the walk.
    bool walk(const QString& folder, const Visitor& visitor);
    // The folders that could not be read in every walk so far (the walking thread's; read them once the
    // walks are joined).
    const UnreadableFolders& unreadableFolders() const { return m_unreadableFolders; }

private:
    SOLoggerPtr m_logger;
    int m_helperCount;
    std::unordered_set<FileId> m_enteredFolders;
    UnreadableFolders m_unreadableFolders;
};

} // namespace pairsift
