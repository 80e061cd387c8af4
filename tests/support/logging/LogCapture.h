#pragma once

#include "support/TemporaryTree.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace pairsift::test {

// One logged line taken apart: "date time Process[pid:tid] facility <Level>: text".
struct LoggedLine {
    QString facility;
    QString level;
    QString text;
};

// A file descriptor that a logger writes to, and the lines that reached it.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    int fileDescriptor() const { return m_fileDescriptor; }
    QString path() const { return m_path; }
    QByteArray contents() const;
    // Every line parsed; a line that does not have the logger's shape fails the test that reads it.
    QList<LoggedLine> lines() const;
    QStringList texts() const;

private:
    TemporaryTree m_tree;
    QString m_path;
    int m_fileDescriptor = -1;
};

// Parses one line without its newline; an empty level marks a line of the wrong shape.
LoggedLine parseLoggedLine(const QByteArray& line);

} // namespace pairsift::test
