#include "testkit/EventLoopWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace pairsift::test {

bool waitUntil(const std::function<bool()>& condition)
{
    const QDeadlineTimer deadline(30000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    return true;
}

} // namespace pairsift::test
