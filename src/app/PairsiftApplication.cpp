#include "app/PairsiftApplication.h"

#include "app/ApplicationInfo.h"
#include "app/CrashReporter.h"
#include "platform/ConsoleLog.h"

#include <QWidget>

#include <exception>

namespace pairsift {

PairsiftApplication::PairsiftApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(ApplicationInfo::name());
    setApplicationVersion(ApplicationInfo::version());
    setOrganizationDomain(QStringLiteral("lanternforges.com"));
    setDesktopFileName(ApplicationInfo::identifier());
    QIcon icon;
    for (int size : {16, 32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/pairsift-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
}

PairsiftApplication* PairsiftApplication::instance()
{
    return qobject_cast<PairsiftApplication*>(QCoreApplication::instance());
}

bool PairsiftApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& exception) {
        handleException(receiver, event, QString::fromUtf8(exception.what()));
    } catch (...) {
        handleException(receiver, event, QStringLiteral("an exception of unknown type"));
    }
    return false;
}

UserAttentionRequest PairsiftApplication::requestUserAttention(UserAttentionRequest request)
{
    if (request == UserAttentionRequest::CriticalRequest && m_suppressUserAttentionCount > 0) {
        --m_suppressUserAttentionCount;
        request = UserAttentionRequest::InformationalRequest;
    }
    QWidget* window = activeWindow();
    if (!window && !topLevelWidgets().isEmpty())
        window = topLevelWidgets().constFirst();
    if (window) {
        // 0 keeps the alert up until the window is activated.
        alert(window, request == UserAttentionRequest::CriticalRequest ? 0 : 1500);
    }
    return request;
}

void PairsiftApplication::handleException(QObject* receiver, QEvent* event, const QString& what)
{
    const QString description = QStringLiteral("Uncaught exception in an event handler: %1 (receiver %2, event type %3)")
                                    .arg(what, QString::fromLatin1(receiver ? receiver->metaObject()->className() : "none"))
                                    .arg(event ? static_cast<int>(event->type()) : -1);
    consoleLog("%@", description);
    const QString reportPath = CrashReporter::sharedManager().writeReport(description);
    Q_EMIT exceptionCaught(description, reportPath);
}

} // namespace pairsift
