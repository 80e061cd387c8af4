#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace pairsift {

// A panel that lets the user pick one file or folder, behind an interface so that tests answer without
// a dialog. Main thread only; the panel is window-modal and never blocks the caller.
class OpenPanel {
public:
    struct Options {
        QString directory;
        QString prompt;
        bool canChooseFiles = true;
        bool canChooseDirectories = false;
        bool canCreateDirectories = false;
    };
    // The chosen path, or nothing when the user cancelled.
    using Completion = std::function<void(const std::optional<QString>& chosenPath)>;

    virtual ~OpenPanel() = default;

    // Shows the panel and returns at once; `done` runs once, later.
    virtual void run(const Options& options, Completion done) = 0;

    // Lets the user choose a folder, starting in `path`, which is created first when missing (a failure
    // is logged and the panel shows anyway). `done` gets the chosen folder, or `path` on cancel.
    void chooseDirectory(const QString& path, std::function<void(const QString& path)> done);
};

} // namespace pairsift
