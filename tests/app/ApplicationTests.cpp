#include "app/AppTestSupport.h"

#include "app/CrashReporter.h"
#include "app/PairsiftApplication.h"
#include "app/Updater.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#include <stdexcept>

namespace pairsift::test {
namespace {

// An object whose event handler lets an exception out.
class ThrowingObject : public QObject {
protected:
    bool event(QEvent*) override { throw std::runtime_error("handler failed"); }
};

class PairsiftApplicationTest : public AppTest {};

TEST_F(PairsiftApplicationTest, anEscapedExceptionIsReportedAndTheProgramGoesOn)
{
    CrashReporter::sharedManager().configureWithIdentifier(CrashReporter::applicationIdentifier());
    CrashReporter::sharedManager().startManager();
    QString description;
    QString reportPath;
    QObject::connect(PairsiftApplication::instance(), &PairsiftApplication::exceptionCaught, [&](const QString& text, const QString& path) {
        description = text;
        reportPath = path;
    });
    ThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    EXPECT_TRUE(description.contains(QStringLiteral("handler failed")));
    ASSERT_TRUE(reportPath.startsWith(dataFolder() + QStringLiteral("/CrashReports/")));
    QFile report(reportPath);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(report.readAll().contains("7d41c0e9b2a86f35d1e04c9a7b3f2e68"));
    EXPECT_EQ(CrashReporter::sharedManager().reports(), QStringList{reportPath});
}

TEST(PairsiftApplication, suppressedAttentionSoftensOnlyCriticalRequests)
{
    PairsiftApplication* application = PairsiftApplication::instance();
    application->suppressUserAttention();
    application->suppressUserAttention();
    using Request = UserAttentionRequest;
    const Request asked[] = {Request::CriticalRequest, Request::InformationalRequest, Request::CriticalRequest,
                             Request::CriticalRequest};
    const Request made[] = {Request::InformationalRequest, Request::InformationalRequest, Request::InformationalRequest,
                            Request::CriticalRequest};
    for (int index = 0; index < 4; ++index)
        EXPECT_EQ(application->requestUserAttention(asked[index]), made[index]) << index;
    EXPECT_EQ(application->suppressUserAttentionCount(), 0);
}

TEST(Updater, readsTheHighestVersionOfAFeed)
{
    const struct {
        const char* feed;
        std::optional<QVersionNumber> latest;
    } cases[] = {
        {"<rss><channel><item><enclosure version=\"1.2\"/></item><item><enclosure version=\"1.10\"/></item></channel></rss>",
         QVersionNumber(1, 10)},
        {"<feed><entry><version>0.3.1</version></entry></feed>", QVersionNumber(0, 3, 1)},
        {"<rss><channel><item><title>news</title></item></channel></rss>", std::nullopt},
        {"not xml <", std::nullopt},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(Updater::latestVersionInFeed(testCase.feed), testCase.latest) << testCase.feed;

    EXPECT_TRUE(Updater::resultText(QVersionNumber(2, 0), QVersionNumber(1, 0)).contains(QStringLiteral("2.0 is available")));
    EXPECT_TRUE(Updater::resultText(QVersionNumber(1, 0), QVersionNumber(1, 0)).contains(QStringLiteral("newest")));
}

TEST(Updater, withoutAFeedItSaysSoPlainly)
{
    Updater& updater = Updater::sharedUpdater();
    updater.setFeedURL(QUrl());
    QString told;
    const QMetaObject::Connection connection =
        QObject::connect(&updater, &Updater::checkFinished, [&told](const QString& text) { told = text; });
    updater.checkForUpdates(nullptr);
    QObject::disconnect(connection);
    EXPECT_EQ(told, Updater::notConfiguredText());
    delete QApplication::activeModalWidget();
}

} // namespace
} // namespace pairsift::test
