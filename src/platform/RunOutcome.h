#pragma once

#include <QString>

#include <functional>

namespace pairsift {

// How a worker's run ended. A stop is the user's choice; a failure (the store, the disk, an exception)
// must never be shown as either a finished run or a stop.
class RunOutcome {
public:
    enum class Kind { Finished, Stopped, Failed };

    static RunOutcome finished() { return RunOutcome(Kind::Finished, {}); }
    static RunOutcome stopped() { return RunOutcome(Kind::Stopped, {}); }
    static RunOutcome failed(QString reason) { return RunOutcome(Kind::Failed, std::move(reason)); }

    Kind kind() const { return m_kind; }
    bool isFinished() const { return m_kind == Kind::Finished; }
    bool isStopped() const { return m_kind == Kind::Stopped; }
    bool hasFailed() const { return m_kind == Kind::Failed; }
    // Why it failed, in words for the user; empty unless it failed.
    const QString& reason() const { return m_reason; }

    bool operator==(const RunOutcome&) const = default;

private:
    RunOutcome(Kind kind, QString reason) : m_kind(kind), m_reason(std::move(reason)) {}

    Kind m_kind;
    QString m_reason;
};

// Runs `work` and answers its outcome; an exception that escapes it becomes a failure with its text, so a
// run that throws still ends, and ends once.
RunOutcome outcomeOf(const std::function<RunOutcome()>& work);

} // namespace pairsift
