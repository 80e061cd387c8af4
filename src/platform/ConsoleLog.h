#pragma once

#include "platform/Format.h"

#include <QStringList>

namespace pairsift {

// The start of every console and log line: "YYYY-MM-DD HH:MM:SS.mmm Pairsift[pid:tid] ".
QByteArray consoleLinePrefix();

// The plain console log: one line on standard error, "YYYY-MM-DD HH:MM:SS.mmm Pairsift[pid:tid] text",
// written with a single write so that lines from several threads never interleave.
void consoleLogText(const QString& text);

// While one lives on a thread, that thread's console lines are kept in `lines` instead of written, so
// work done ahead on a helper thread can have its lines written later, in order, by the thread that
// would have done the work.
class DeferredConsoleLines {
public:
    explicit DeferredConsoleLines(QStringList& lines);
    ~DeferredConsoleLines();

    DeferredConsoleLines(const DeferredConsoleLines&) = delete;
    DeferredConsoleLines& operator=(const DeferredConsoleLines&) = delete;

private:
    QStringList* m_previous;
};

template <typename... Arguments>
void consoleLog(const char* format, const Arguments&... arguments)
{
    consoleLogText(formatString(format, arguments...));
}

} // namespace pairsift
