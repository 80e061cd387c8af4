#include "platform/UserDefaults.h"

#include "testkit/TemporaryTree.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace pairsift {
namespace {

class UserDefaultsTest : public testing::Test {
protected:
    QString filePath() const { return m_tree.path(QStringLiteral("Pairsift.json")); }
    QJsonObject fileContents() const
    {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }

    test::TemporaryTree m_tree;
};

TEST_F(UserDefaultsTest, storedValuesCoverRegisteredOnes)
{
    UserDefaults defaults(filePath());
    defaults.registerDefaults({{"key", QStringLiteral("registered")}});
    EXPECT_EQ(defaults.value("key"), QVariant(QStringLiteral("registered")));
    defaults.setValue("key", QStringLiteral("stored"));
    EXPECT_EQ(defaults.value("key"), QVariant(QStringLiteral("stored")));
    EXPECT_EQ(defaults.registeredValue("key"), QVariant(QStringLiteral("registered")));
    defaults.removeValue("key");
    EXPECT_EQ(defaults.value("key"), QVariant(QStringLiteral("registered")));
    EXPECT_FALSE(defaults.value("other").isValid());
}

TEST_F(UserDefaultsTest, valuesRoundTripThroughTheFile)
{
    const QByteArray binary("\x00\xff\x01 bytes\n", 9);
    const struct {
        const char* key;
        QVariant written;
        QVariant read;
    } cases[] = {
        {"bool", true, true},
        {"int", 42, qlonglong(42)},
        {"unsigned", 7u, qlonglong(7)},
        {"negative", qlonglong(-5), qlonglong(-5)},
        {"beyond double precision", qlonglong(9007199254740993), qlonglong(9007199254740993)},
        {"double", 0.25, 0.25},
        {"text", QStringLiteral("zoë 写真"), QStringLiteral("zoë 写真")},
        {"empty text", QString(""), QString("")},
        {"data", binary, binary},
        {"string list", QStringList{"a", "b"}, QVariantList{"a", "b"}},
        {"nested", QVariantList{QVariantList{1, binary}, QVariantMap{{"k", false}}},
         QVariantList{QVariantList{qlonglong(1), binary}, QVariantMap{{"k", false}}}},
    };
    {
        UserDefaults defaults(filePath());
        for (const auto& testCase : cases)
            ASSERT_TRUE(defaults.setValue(testCase.key, testCase.written)) << testCase.key;
        ASSERT_TRUE(defaults.synchronize());
    }
    UserDefaults reread(filePath());
    for (const auto& testCase : cases) {
        const QVariant value = reread.value(testCase.key);
        EXPECT_EQ(value.metaType(), testCase.read.metaType()) << testCase.key;
        EXPECT_EQ(value, testCase.read) << testCase.key;
    }
}

TEST_F(UserDefaultsTest, keepsRegisteredValuesOutOfTheFile)
{
    UserDefaults defaults(filePath());
    defaults.registerDefaults({{"registered", 1}});
    defaults.setValue("stored", 2);
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(fileContents().keys(), QStringList{"stored"});
    EXPECT_EQ(QDir(m_tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList{"Pairsift.json"});
}

TEST_F(UserDefaultsTest, refusesValuesTheFileCannotHold)
{
    UserDefaults defaults(filePath());
    defaults.setValue("key", 1);
    const QVariant refused[] = {QVariant(QPoint(1, 2)), QVariant(std::nan("")), QVariant(QVariantList{QPoint()}),
                                QVariant(std::numeric_limits<double>::infinity())};
    for (const QVariant& value : refused) {
        EXPECT_FALSE(defaults.setValue("key", value)) << value.typeName();
        EXPECT_EQ(defaults.value("key"), QVariant(qlonglong(1)));
    }
    EXPECT_TRUE(defaults.setValue("key", QVariant()));
    EXPECT_FALSE(defaults.value("key").isValid());
}

TEST_F(UserDefaultsTest, boolReadsTextsNumbersAndFallsBack)
{
    const struct {
        QVariant stored;
        bool withRegisteredYes;
        bool withoutRegistration;
    } cases[] = {
        {QStringLiteral("YES"), true, true},      {QStringLiteral("NO"), false, false},
        {QStringLiteral("yes"), true, true},      {QStringLiteral(" true "), true, true},
        {QStringLiteral("False"), false, false},  {QStringLiteral("0"), false, false},
        {QStringLiteral("2"), true, true},        {1, true, true},
        {0, false, false},                        {false, false, false},
        {0.5, true, true},                        {QStringLiteral("maybe"), true, false},
        {QVariantList{true}, true, false},        {QByteArray("YES"), true, false},
        {QVariant(), true, false},
    };
    for (const auto& testCase : cases) {
        const QString context = testCase.stored.toString() + QLatin1Char(' ') + testCase.stored.typeName();
        UserDefaults defaults(filePath());
        defaults.setValue("flag", testCase.stored);
        EXPECT_EQ(defaults.boolValue("flag"), testCase.withoutRegistration) << context.toStdString();
        defaults.registerDefaults({{"flag", QStringLiteral("YES")}});
        EXPECT_EQ(defaults.boolValue("flag"), testCase.withRegisteredYes) << context.toStdString();
    }
}

TEST_F(UserDefaultsTest, integerReadsNumbersAndNumericTexts)
{
    constexpr qint64 registered = 100;
    const struct {
        QVariant stored;
        qint64 expected;
    } cases[] = {
        {42, 42},
        {QStringLiteral(" -7 "), -7},
        {QStringLiteral("3.9"), 3},
        {-3.9, -3},
        {true, 1},
        {1e30, std::numeric_limits<qint64>::max()},
        {-1e30, std::numeric_limits<qint64>::min()},
        {QStringLiteral("99999999999999999999"), std::numeric_limits<qint64>::max()},
        {QStringLiteral("12abc"), registered},
        {QStringLiteral("nan"), registered},
        {QVariantMap{{"a", 1}}, registered},
    };
    for (const auto& testCase : cases) {
        UserDefaults defaults(filePath());
        defaults.registerDefaults({{"number", registered}});
        defaults.setValue("number", testCase.stored);
        EXPECT_EQ(defaults.integerValue("number"), testCase.expected) << testCase.stored.toString().toStdString();
    }
}

TEST_F(UserDefaultsTest, stringAndArrayReadsFallBackOnWrongTypes)
{
    UserDefaults defaults(filePath());
    EXPECT_TRUE(defaults.stringValue("text").isNull());
    EXPECT_FALSE(defaults.arrayValue("list").has_value());
    defaults.registerDefaults({{"text", QStringLiteral("registered")}, {"list", QVariantList{1}}});
    defaults.setValue("text", 5);
    defaults.setValue("list", QStringLiteral("not a list"));
    EXPECT_EQ(defaults.stringValue("text"), QStringLiteral("registered"));
    EXPECT_EQ(defaults.arrayValue("list"), QVariantList{qlonglong(1)});
    defaults.setValue("text", QStringLiteral("stored"));
    defaults.setValue("list", QVariantList{2, 3});
    EXPECT_EQ(defaults.stringValue("text"), QStringLiteral("stored"));
    EXPECT_EQ(defaults.arrayValue("list"), (QVariantList{qlonglong(2), qlonglong(3)}));
}

TEST_F(UserDefaultsTest, keepsACorruptFileAsideAndStartsEmpty)
{
    const QByteArray corruptContents[] = {"{\"logging\": tru", "[1, 2]", "", "\xff\xfe{}"};
    for (const QByteArray& contents : corruptContents) {
        test::TemporaryTree tree;
        const QString path = tree.writeFile(QStringLiteral("Pairsift.json"), contents);
        UserDefaults defaults(path);
        defaults.registerDefaults({{"logging", false}});
        EXPECT_FALSE(defaults.boolValue("logging"));

        const QStringList aside = QDir(tree.root()).entryList({QStringLiteral("Pairsift.json.corrupt-*")}, QDir::Files);
        ASSERT_EQ(aside.size(), 1) << contents.toStdString();
        QFile kept(tree.path(aside.front()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), contents);

        defaults.setValue("logging", true);
        ASSERT_TRUE(defaults.synchronize());
        EXPECT_TRUE(UserDefaults(path).boolValue("logging"));
    }
}

TEST_F(UserDefaultsTest, loadsWhatItCanFromOddValues)
{
    m_tree.writeFile(QStringLiteral("Pairsift.json"),
                     R"({"null": null, "badData": {"$data": "!!"}, "list": [1, null, "a"], "data": {"$data": "AAE="}})");
    UserDefaults defaults(filePath());
    EXPECT_FALSE(defaults.value("null").isValid());
    EXPECT_EQ(defaults.value("badData").metaType().id(), QMetaType::QVariantMap);
    EXPECT_EQ(defaults.value("list"), (QVariantList{qlonglong(1), QStringLiteral("a")}));
    EXPECT_EQ(defaults.value("data"), QVariant(QByteArray("\x00\x01", 2)));
}

TEST_F(UserDefaultsTest, neverReplacesAFileItCannotRead)
{
    const QString folderInTheWay = m_tree.makeFolder(QStringLiteral("folder/Pairsift.json"));
    const QString unreadable = m_tree.writeFile(QStringLiteral("unreadable/Pairsift.json"), R"({"kept": 1})");
    QFile::setPermissions(unreadable, QFileDevice::Permissions());
    const bool canDenyReading = !QFile(unreadable).open(QIODevice::ReadOnly); // not as root
    for (const QString& path : {folderInTheWay, unreadable}) {
        if (path == unreadable && !canDenyReading)
            continue;
        UserDefaults defaults(path);
        defaults.setValue("kept", 2);
        Error error;
        EXPECT_FALSE(defaults.synchronize(&error)) << path.toStdString();
        EXPECT_EQ(error.domain, UserDefaults::errorDomain);
        EXPECT_EQ(error.code, UserDefaults::WriteBlockedError);
    }
    EXPECT_TRUE(QFileInfo(folderInTheWay).isDir());
    QFile::setPermissions(unreadable, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile file(unreadable);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(R"({"kept": 1})"));
}

TEST_F(UserDefaultsTest, reportsAFileThatCannotBeWritten)
{
    const QString blocker = m_tree.writeFile(QStringLiteral("blocker"), "a file, not a folder");
    UserDefaults defaults(blocker + QStringLiteral("/Pairsift.json"));
    defaults.setValue("key", 1);
    Error error;
    EXPECT_FALSE(defaults.synchronize(&error));
    EXPECT_EQ(error.code, UserDefaults::WriteFailedError);
    EXPECT_TRUE(error.underlyingMessage.contains(QStringLiteral("cannot create the folder")));
    EXPECT_EQ(defaults.value("key"), QVariant(qlonglong(1)));
}

TEST_F(UserDefaultsTest, pendingChangesReachTheFileFromTheEventLoopAndOnDestruction)
{
    {
        UserDefaults defaults(filePath());
        defaults.setValue("saved by the event loop", 1);
        QCoreApplication::processEvents();
        EXPECT_EQ(fileContents().value("saved by the event loop").toInt(), 1);
        defaults.setValue("saved on destruction", 2);
    }
    EXPECT_EQ(fileContents().value("saved on destruction").toInt(), 2);
}

TEST_F(UserDefaultsTest, observersSeeChangesOfTheirKeyOnly)
{
    UserDefaults defaults(filePath());
    defaults.registerDefaults({{"key", 1}});
    QVariantList seen;
    const auto id = defaults.addObserver("key", [&](const QVariant& value) { seen.append(value); });
    defaults.setValue("other", 5);
    defaults.setValue("key", 2);
    defaults.setValue("key", 2); // unchanged
    defaults.removeValue("key"); // back to the registered value
    defaults.registerDefaults({{"key", 3}});
    defaults.removeObserver(id);
    defaults.setValue("key", 4);
    EXPECT_EQ(seen, (QVariantList{qlonglong(2), qlonglong(1), qlonglong(3)}));
}

TEST_F(UserDefaultsTest, observerCalledAtOnceOnRequestAndMayUseTheStore)
{
    UserDefaults defaults(filePath());
    defaults.setValue("key", QStringLiteral("now"));
    QStringList seen;
    UserDefaults::ObserverId id = 0;
    id = defaults.addObserver(
        "key",
        [&](const QVariant& value) {
            seen.append(value.toString() + QLatin1Char('/') + defaults.stringValue("key"));
            if (value.toString() == QLatin1String("last"))
                defaults.removeObserver(id);
        },
        true);
    defaults.setValue("key", QStringLiteral("last"));
    defaults.setValue("key", QStringLiteral("unseen"));
    EXPECT_EQ(seen, (QStringList{"now/now", "last/last"}));
}

TEST_F(UserDefaultsTest, observersRunOnTheChangingThreadWhileOthersRead)
{
    UserDefaults defaults(filePath());
    std::thread::id observedOn;
    defaults.addObserver("count", [&](const QVariant&) { observedOn = std::this_thread::get_id(); });

    std::atomic<bool> isDone{false};
    std::atomic<int> badReads{0};
    std::vector<std::thread> readers;
    for (int reader = 0; reader < 4; ++reader)
        readers.emplace_back([&] {
            while (!isDone) {
                const qint64 count = defaults.integerValue("count");
                if (count < 0 || count > 1000)
                    ++badReads;
            }
        });
    std::thread writer([&] {
        for (int count = 1; count <= 1000; ++count)
            defaults.setValue("count", count);
    });
    const std::thread::id writerId = writer.get_id();
    writer.join();
    isDone = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(badReads, 0);
    EXPECT_EQ(observedOn, writerId);
    EXPECT_EQ(defaults.integerValue("count"), 1000);
}

TEST(UserDefaultsStores, standardAndDomainStoresLiveInTheConfigurationFolder)
{
    test::TemporaryTree tree;
    UserDefaults::setConfigurationFolder(tree.root());
    EXPECT_EQ(UserDefaults::configurationFolder(), tree.root());
    EXPECT_EQ(UserDefaults::standard().filePath(), tree.path(QStringLiteral("Pairsift.json")));
    EXPECT_EQ(&UserDefaults::domain("com.example.Viewer"), &UserDefaults::domain("com.example.Viewer"));
    EXPECT_EQ(UserDefaults::domain("com.example.Viewer").filePath(),
              tree.path(QStringLiteral("domains/com.example.Viewer.json")));
    EXPECT_EQ(UserDefaults::domain("../up/é").filePath(), tree.path(QStringLiteral("domains/.._up__.json")));

    UserDefaults::domain("com.example.Viewer").setValue("RootDirectory", QStringLiteral("/photos"));
    UserDefaults::setConfigurationFolder(QString()); // writes and drops the redirected stores
    EXPECT_EQ(UserDefaults(tree.path(QStringLiteral("domains/com.example.Viewer.json"))).stringValue("RootDirectory"),
              QStringLiteral("/photos"));
}

TEST(UserDefaultsStores, configurationFolderFollowsXdgConfigHome)
{
    const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    UserDefaults::setConfigurationFolder(QString());
    qputenv("XDG_CONFIG_HOME", "/srv/config/");
    EXPECT_EQ(UserDefaults::configurationFolder(), QStringLiteral("/srv/config/Pairsift"));
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(UserDefaults::configurationFolder(), QDir::homePath() + QStringLiteral("/.config/Pairsift"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserDefaults::configurationFolder(), QDir::homePath() + QStringLiteral("/.config/Pairsift"));
    if (!savedConfigHome.isNull())
        qputenv("XDG_CONFIG_HOME", savedConfigHome);
}

} // namespace
} // namespace pairsift
