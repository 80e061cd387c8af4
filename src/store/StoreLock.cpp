#include "store/StoreLock.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pairsift {

StoreLock::StoreLock(const QString& storePath)
{
    const QByteArray path = QFile::encodeName(lockPathFor(storePath));
    // The file stays: removing a lock file another process may be about to lock would split the lock.
    m_descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_descriptor < 0) {
        m_failureReason = qt_error_string(errno);
        return;
    }
    int result = 0;
    do {
        result = ::flock(m_descriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_state = State::Locked;
        return;
    }
    const int number = errno;
    m_state = number == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
    m_failureReason = qt_error_string(number);
    ::close(m_descriptor);
    m_descriptor = -1;
}

StoreLock::~StoreLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

} // namespace pairsift
