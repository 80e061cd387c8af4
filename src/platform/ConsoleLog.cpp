#include "platform/ConsoleLog.h"

#include "platform/WriteAll.h"

#include <QCoreApplication>
#include <QDateTime>

#include <sys/syscall.h>
#include <unistd.h>

namespace pairsift {

namespace {

QString processName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Pairsift") : name;
}

thread_local QStringList* deferredLines = nullptr;

} // namespace

DeferredConsoleLines::DeferredConsoleLines(QStringList& lines)
    : m_previous(deferredLines)
{
    deferredLines = &lines;
}

DeferredConsoleLines::~DeferredConsoleLines()
{
    deferredLines = m_previous;
}

QByteArray consoleLinePrefix()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8() + ' '
        + processName().toUtf8() + '[' + QByteArray::number(getpid()) + ':'
        + QByteArray::number(static_cast<long long>(syscall(SYS_gettid))) + "] ";
}

void consoleLogText(const QString& text)
{
    if (deferredLines) {
        deferredLines->append(text);
        return;
    }
    const QByteArray line = consoleLinePrefix() + text.toUtf8() + '\n';
    writeAll(STDERR_FILENO, line.constData(), static_cast<std::size_t>(line.size()));
}

} // namespace pairsift
