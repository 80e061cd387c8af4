#include "platform/MainQueue.h"

#include <QCoreApplication>
#include <QThread>

namespace pairsift {

bool isMainThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

void postToMain(std::function<void()> work)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

} // namespace pairsift
