#pragma once

#include <QByteArray>
#include <QString>

namespace pairsift {

// The system log's priority for a level: the same number, clamped to 0 … 7.
int systemLogPriority(int level);
// "Panic", "Alert", "Critical", "Error", "Warning", "Notice", "Info" or "Debug".
const char* logLevelName(int level);

// One line as standard error and the descriptors receive it:
// "YYYY-MM-DD HH:MM:SS.mmm Process[pid:tid] facility <Level>: text" and a newline.
QByteArray logLine(int level, const QString& facility, const QString& text);

// Sends the text to syslog(3) under `identity` (the facility). The system log keeps one identity per
// process, so sends are serialised and the identity is switched only when it changes.
void sendToSystemLog(const QByteArray& identity, int level, bool connectAtOnce, const QByteArray& text);

} // namespace pairsift
