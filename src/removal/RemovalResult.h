#pragma once

#include <QString>

namespace pairsift {

// What became of one staged file.
enum class RemovalOutcome {
    Removed,     // in the Trash, deleted, or replaced by a link: its row can go
    AlreadyGone, // an earlier replacement left only its link to the kept copy at the path: only its row can go
    Refused,     // a check said no; nothing was removed
    TrashFailed, // the move to the Trash failed; the next attempt may delete it permanently
    Failed,      // a permanent deletion or a replacement failed; the file is where it was
    Stopped,     // the user stopped the run before anything changed
};

// The outcome and, unless the file left or was left alone on a stop, the reason in words that follow
// "was not removed: " ("its kept copy has changed"), and what the status after a run counts it under,
// after a number ("changed after the scan").
struct RemovalResult {
    RemovalOutcome outcome = RemovalOutcome::Failed;
    QString reason;
    QString summary;

    bool isGone() const { return outcome == RemovalOutcome::Removed || outcome == RemovalOutcome::AlreadyGone; }
};

} // namespace pairsift
