#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

namespace pairsift {

// How a second start reaches the program already running on the store: a local socket beside the store's
// lock. Only the lock's holder listens, so the socket file it replaces can belong to no running program.
// Main thread only.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    static QString socketPathFor(const QString& storePath) { return storePath + QStringLiteral(".socket"); }

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // The holder's side: `activate` runs for every request that arrives. False (logged) when the socket
    // cannot be made; the program runs on without it.
    bool listen(const QString& storePath, std::function<void()> activate);

    // The second start's side: asks the holder to bring its window forward. Returns at once; `done` runs
    // once from the event loop, with true when the holder took the request.
    static void requestActivation(const QString& storePath, std::function<void(bool delivered)> done);

private:
    QLocalServer* m_server = nullptr;
    std::function<void()> m_activate;
};

} // namespace pairsift
