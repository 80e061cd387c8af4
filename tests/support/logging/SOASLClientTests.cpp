#include "support/logging/SOASLClient.h"

#include "testkit/LogCapture.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

using test::LogCapture;

TEST(SOASLClient, aClosedClientTakesNoDescriptorsAndSendsNothing)
{
    LogCapture capture;
    const SOASLClientPtr client = SOASLClient::client();
    EXPECT_FALSE(client->isOpen());
    EXPECT_FALSE(client->addLoggingDescriptor(capture.fileDescriptor()));
    EXPECT_FALSE(client->removeLoggingDescriptor(capture.fileDescriptor()));
    client->log(SOLogLevel::Error, QStringLiteral("com.pairsift.tests"), QStringLiteral("lost"));
    EXPECT_TRUE(capture.contents().isEmpty());
}

TEST(SOASLClient, opensOnceAndWritesToItsDescriptorsUntilClosed)
{
    LogCapture capture;
    const SOASLClientPtr client = SOASLClient::client();
    client->openForFacility(QString(), SOLoggerOptionNoSystemLog);
    client->openForFacility(QStringLiteral("com.pairsift.ignored"), SOLoggerDefaultClientOptions);
    EXPECT_TRUE(client->isOpen());
    EXPECT_EQ(client->facility(), QStringLiteral("com.apple.console"));
    EXPECT_EQ(client->options(), SOLoggerOptionNoSystemLog);

    EXPECT_TRUE(client->addLoggingDescriptor(capture.fileDescriptor()));
    client->log(SOLogLevel::Warning, QString(), QStringLiteral("stamped %d"));
    EXPECT_TRUE(client->removeLoggingDescriptor(capture.fileDescriptor()));
    client->log(SOLogLevel::Warning, QString(), QStringLiteral("removed"));
    EXPECT_TRUE(client->addLoggingDescriptor(capture.fileDescriptor()));
    client->close();
    EXPECT_FALSE(client->isOpen());
    EXPECT_TRUE(client->loggingDescriptors().isEmpty());
    client->log(SOLogLevel::Warning, QString(), QStringLiteral("closed"));

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].facility, QStringLiteral("com.apple.console"));
    EXPECT_EQ(lines[0].level, QStringLiteral("Warning"));
    EXPECT_EQ(lines[0].text, QStringLiteral("stamped %d"));
}

} // namespace
} // namespace pairsift
