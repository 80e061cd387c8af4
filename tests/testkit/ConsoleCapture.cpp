#include "testkit/ConsoleCapture.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdio>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift::test {

ConsoleCapture::ConsoleCapture()
{
    // Whatever is still buffered belongs to the output before the capture.
    std::fflush(stderr);
    m_savedDescriptor = ::dup(STDERR_FILENO);
    m_captureDescriptor = ::memfd_create("console-capture", MFD_CLOEXEC);
    if (m_savedDescriptor < 0 || m_captureDescriptor < 0 || ::dup2(m_captureDescriptor, STDERR_FILENO) < 0)
        ADD_FAILURE() << "cannot capture standard error";
}

ConsoleCapture::~ConsoleCapture()
{
    std::fflush(stderr);
    ::dup2(m_savedDescriptor, STDERR_FILENO);
    ::close(m_savedDescriptor);
    ::close(m_captureDescriptor);
}

QString ConsoleCapture::text() const
{
    std::fflush(stderr);
    struct stat status {};
    if (::fstat(m_captureDescriptor, &status) != 0)
        return {};
    QByteArray bytes(static_cast<qsizetype>(status.st_size), '\0');
    const ssize_t read = ::pread(m_captureDescriptor, bytes.data(), static_cast<size_t>(bytes.size()), 0);
    bytes.truncate(read < 0 ? 0 : static_cast<qsizetype>(read));
    return QString::fromUtf8(bytes);
}

QStringList ConsoleCapture::texts() const
{
    QStringList texts;
    for (const QString& line : text().split(QLatin1Char('\n'))) {
        const qsizetype start = line.indexOf(QLatin1String("] "));
        if (start >= 0)
            texts.append(line.mid(start + 2));
    }
    return texts;
}

QString consoleOutput(const std::function<void()>& work)
{
    const ConsoleCapture console;
    work();
    return console.text();
}

} // namespace pairsift::test
