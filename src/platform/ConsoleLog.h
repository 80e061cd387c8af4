#pragma once

#include "platform/Format.h"

namespace pairsift {

// The start of every console and log line: "YYYY-MM-DD HH:MM:SS.mmm Pairsift[pid:tid] ".
QByteArray consoleLinePrefix();

// The plain console log: one line on standard error, "YYYY-MM-DD HH:MM:SS.mmm Pairsift[pid:tid] text",
// written with a single write so that lines from several threads never interleave.
void consoleLogText(const QString& text);

template <typename... Arguments>
void consoleLog(const char* format, const Arguments&... arguments)
{
    consoleLogText(formatString(format, arguments...));
}

} // namespace pairsift
