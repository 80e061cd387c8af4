#pragma once

#include <QList>
#include <QString>
#include <QUrl>

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
        bool allowsMultipleSelection = false;
    };
    // The (first) chosen path, or nothing when the user cancelled.
    using Completion = std::function<void(const std::optional<QString>& chosenPath)>;

    virtual ~OpenPanel() = default;

    // Shows the panel and returns at once; `done` runs once, later.
    virtual void run(const Options& options, Completion done) = 0;

    // Every item chosen when the last run ended, in order (empty after a cancel); nothing before then.
    const std::optional<QList<QUrl>>& URLs() const { return m_URLs; }

protected:
    // Implementations end every run here: records the choice for URLs() and calls `done`.
    void finish(const Completion& done, const QList<QUrl>& chosen);

private:
    std::optional<QList<QUrl>> m_URLs;
};

} // namespace pairsift
