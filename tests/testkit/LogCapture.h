#pragma once

#include "support/logging/SOLogger.h"
#include "testkit/TemporaryTree.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace pairsift::test {

// One logged line taken apart: "date time Process[pid:tid] facility <Level>: text".
struct LoggedLine {
    QString facility;
    QString level;
    QString text;
};

// A file that loggers write to, a logger that writes only there, and the lines the file received.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    int fileDescriptor() const { return m_fileDescriptor; }
    QString path() const { return m_path; }
    const SOLoggerPtr& logger() const { return m_logger; }

    QByteArray contents() const;
    // Everything written, multi-line messages included.
    QString text() const;
    // Every line parsed; a line that does not have the logger's shape fails the test that reads it.
    QList<LoggedLine> lines() const;
    QStringList texts() const;
    // The lines of the logger's shape as "Level: text" ("Debug: 'x' is a directory"); the further
    // lines of a multi-line message are left out.
    QStringList levelledLines() const;
    bool has(const QString& levelledLine) const { return levelledLines().contains(levelledLine); }

private:
    TemporaryTree m_tree;
    QString m_path;
    int m_fileDescriptor = -1;
    SOLoggerPtr m_logger;
};

// Parses one line without its newline; an empty level marks a line of the wrong shape.
LoggedLine parseLoggedLine(const QByteArray& line);

// A logger of the tests' own facility, outside the system log, that writes nowhere until given a descriptor.
SOLoggerPtr testLogger();

} // namespace pairsift::test
