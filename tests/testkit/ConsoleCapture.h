#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace pairsift::test {

// What the process writes to standard error (the console log) while the object lives.
class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // Everything written so far.
    QString text() const;
    // The text of every console line (after "Pairsift[pid:tid] ").
    QStringList texts() const;

private:
    int m_savedDescriptor = -1;
    int m_captureDescriptor = -1;
};

// Runs `work` and answers what it wrote to standard error.
QString consoleOutput(const std::function<void()>& work);

} // namespace pairsift::test
