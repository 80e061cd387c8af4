#include "testkit/LogCapture.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace pairsift::test {

LogCapture::LogCapture()
    : m_path(m_tree.path(QStringLiteral("captured.log")))
    , m_logger(testLogger())
{
    // Deliberately without O_APPEND: concurrent lines must stay whole on a plain shared offset too.
    m_fileDescriptor = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(m_fileDescriptor, 0);
    if (m_fileDescriptor >= 0)
        m_logger->addFileDescriptor(m_fileDescriptor);
}

LogCapture::~LogCapture()
{
    if (m_fileDescriptor < 0)
        return;
    // The logger may outlive the capture in whoever was given it.
    m_logger->removeFileDescriptor(m_fileDescriptor);
    ::close(m_fileDescriptor);
}

QByteArray LogCapture::contents() const
{
    QFile file(m_path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QString LogCapture::text() const
{
    return QString::fromUtf8(contents());
}

QList<LoggedLine> LogCapture::lines() const
{
    const QByteArray all = contents();
    QList<LoggedLine> lines;
    if (all.isEmpty())
        return lines;
    EXPECT_TRUE(all.endsWith('\n'));
    for (const QByteArray& line : all.chopped(1).split('\n')) {
        lines.append(parseLoggedLine(line));
        EXPECT_FALSE(lines.last().level.isEmpty()) << "malformed line: " << line.constData();
    }
    return lines;
}

QStringList LogCapture::texts() const
{
    QStringList texts;
    for (const LoggedLine& line : lines())
        texts.append(line.text);
    return texts;
}

QStringList LogCapture::levelledLines() const
{
    QStringList levelled;
    for (const QByteArray& line : contents().split('\n')) {
        const LoggedLine parsed = parseLoggedLine(line);
        if (!parsed.level.isEmpty())
            levelled.append(parsed.level + QStringLiteral(": ") + parsed.text);
    }
    return levelled;
}

LoggedLine parseLoggedLine(const QByteArray& line)
{
    static const QRegularExpression shape(QStringLiteral(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[\] ]+\[\d+:\d+\] (\S+) <([A-Za-z]+)>: (.*)$)"));
    const QRegularExpressionMatch match = shape.match(QString::fromUtf8(line));
    if (!match.hasMatch())
        return {};
    return {match.captured(1), match.captured(2), match.captured(3)};
}

SOLoggerPtr testLogger()
{
    return std::make_shared<SOLogger>(QStringLiteral("com.pairsift.tests"), SOLoggerOptionNoSystemLog);
}

} // namespace pairsift::test
