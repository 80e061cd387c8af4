#include "app/InstanceChannel.h"

#include "platform/ConsoleLog.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <memory>

namespace pairsift {

namespace {

const QByteArray activationRequest = QByteArrayLiteral("activate\n");
const QByteArray activationAnswer = QByteArrayLiteral("ok\n");
// A holder that does not answer within this is taken as gone (stopped in a debugger, hung).
constexpr int answerMilliseconds = 3000;

} // namespace

InstanceChannel::InstanceChannel(QObject* parent)
    : QObject(parent)
{
}

InstanceChannel::~InstanceChannel()
{
    if (m_server)
        m_server->close();
}

bool InstanceChannel::listen(const QString& storePath, std::function<void()> activate)
{
    m_activate = std::move(activate);
    const QString path = socketPathFor(storePath);
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        consoleLog("Unable to listen for a second start at '%@': %@", path, m_server->errorString());
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() != activationRequest) {
                    socket->abort();
                    return;
                }
                socket->write(activationAnswer);
                socket->flush();
                if (m_activate)
                    m_activate();
            });
        }
    });
    return true;
}

void InstanceChannel::requestActivation(const QString& storePath, std::function<void(bool delivered)> done)
{
    auto* socket = new QLocalSocket;
    auto* timeout = new QTimer(socket);
    auto finish = std::make_shared<std::function<void(bool)>>(std::move(done));
    const auto end = [socket, finish](bool delivered) {
        if (!*finish)
            return;
        const std::function<void(bool)> call = std::move(*finish);
        *finish = nullptr;
        socket->abort();
        socket->deleteLater();
        call(delivered);
    };
    QObject::connect(socket, &QLocalSocket::connected, socket, [socket] { socket->write(activationRequest); });
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, end] {
        if (socket->canReadLine())
            end(socket->readLine() == activationAnswer);
    });
    QObject::connect(socket, &QLocalSocket::errorOccurred, socket, [end] { end(false); });
    QObject::connect(timeout, &QTimer::timeout, socket, [end] { end(false); });
    timeout->setSingleShot(true);
    timeout->start(answerMilliseconds);
    socket->connectToServer(socketPathFor(storePath));
}

} // namespace pairsift
