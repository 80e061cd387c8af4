#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace pairsift {

// Lets the user pick folders and photo libraries to scan. Behind an interface so that tests answer
// without a dialog.
class FolderChooser {
public:
    // Decides from the path and what the chooser already knows of the item, never from the disk: it runs
    // for every visible row on every repaint.
    using EnableRule = std::function<bool(const QString& path, bool isDirectory)>;
    using Completion = std::function<void(const QStringList& paths)>;

    virtual ~FolderChooser() = default;

    // Main thread; returns at once. It opens in `startFolder`; several items may be chosen; the accept
    // button reads `prompt`; only paths that `isEnabled` accepts can be chosen. `done` runs once, later,
    // with the chosen paths in order, or with none when the user cancelled.
    virtual void chooseFolders(const QString& prompt, const QString& startFolder, EnableRule isEnabled,
                               Completion done) = 0;
};

} // namespace pairsift
