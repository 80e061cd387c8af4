#include "settings/PairsiftDefaults.h"

#include "platform/BookmarkData.h"
#include "settings/FirstRun.h"
#include "testkit/ConsoleCapture.h"
#include "testkit/TemporaryTree.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

// Every test gets its own settings folder; the standard store is made afresh there.
class PairsiftDefaultsTest : public testing::Test {
protected:
    void SetUp() override { UserDefaults::setConfigurationFolder(m_tree.root()); }
    void TearDown() override { UserDefaults::setConfigurationFolder(m_tree.root() + QStringLiteral("/unused")); }

    static UserDefaults& store() { return UserDefaults::standard(); }
    // What another process would read from the settings file now.
    QVariant onDisk(const char* key) const { return UserDefaults(store().filePath()).value(key); }
    static QStringList paths(const QList<LocationItemPtr>& locations)
    {
        QStringList result;
        for (const LocationItemPtr& location : locations)
            result.append(location->path());
        return result;
    }

    test::TemporaryTree m_tree;
};

TEST_F(PairsiftDefaultsTest, registersEveryDefaultAsListed)
{
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    const struct {
        const char* key;
        QVariant value;
    } registered[] = {
        {"sort_key", QStringLiteral("total")},         {"sort_ascending", QStringLiteral("NO")},
        {"ignore_small_files", QStringLiteral("YES")}, {"small_file_size", qlonglong(100)},
        {"logging", QStringLiteral("NO")},             {"confirm_delete_location", QStringLiteral("YES")},
        {"prefer_files", qlonglong(0)},                {"filters", QVariantList{QStringLiteral("CVSROOT")}},
        {"small_file_size_unit", qlonglong(1)},
    };
    for (const auto& entry : registered) {
        EXPECT_EQ(store().registeredValue(entry.key).metaType(), entry.value.metaType()) << entry.key;
        EXPECT_EQ(store().registeredValue(entry.key), entry.value) << entry.key;
    }
    store().setValue("unrelated", 1);
    PairsiftDefaults::save();
    EXPECT_FALSE(onDisk("sort_key").isValid());
}

TEST_F(PairsiftDefaultsTest, freshStoreGivesTheDefaults)
{
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    EXPECT_EQ(PairsiftDefaults::sortKey(), QStringLiteral("total"));
    EXPECT_FALSE(PairsiftDefaults::sortAscending());
    EXPECT_TRUE(PairsiftDefaults::ignoreSmallFiles());
    EXPECT_EQ(PairsiftDefaults::smallFileSize(), 102400.0);
    EXPECT_FALSE(PairsiftDefaults::logging());
    EXPECT_TRUE(PairsiftDefaults::confirmDeleteLocation());
    EXPECT_EQ(PairsiftDefaults::preferFiles(), 0);
    EXPECT_EQ(PairsiftDefaults::filterArray(), QList<Filter>{Filter(QStringLiteral("CVSROOT"))});
    EXPECT_FALSE(PairsiftDefaults::locations().has_value());
    EXPECT_FALSE(PairsiftDefaults::recentLocations().has_value());
    EXPECT_EQ(PairsiftDefaults::maxRecentLocations(), 5u);
}

TEST_F(PairsiftDefaultsTest, unregisteredStoreStillAnswers)
{
    EXPECT_TRUE(PairsiftDefaults::ignoreSmallFiles());
    EXPECT_EQ(PairsiftDefaults::smallFileSize(), 102400.0);
    EXPECT_EQ(PairsiftDefaults::sortKey(), QStringLiteral("total"));
    EXPECT_TRUE(PairsiftDefaults::filterArray().isEmpty());
    EXPECT_TRUE(PairsiftDefaults::directory().isNull());
}

TEST_F(PairsiftDefaultsTest, smallFileSizeCombinesValueAndUnit)
{
    const struct {
        QVariant size;
        QVariant unit;
        double expected;
    } cases[] = {
        {0, 2, 104857600.0},   {5, 7, 5120.0},          {1, 0, 1.0},
        {-3, 1, -3072.0},      {10, -1, 10240.0},       {QVariant(), QVariant(), 102400.0},
        {QStringLiteral("abc"), QStringLiteral("x"), 102400.0}, {QStringLiteral("2"), QStringLiteral("2"), 2097152.0},
    };
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    for (const auto& testCase : cases) {
        store().setValue("small_file_size", testCase.size);
        store().setValue("small_file_size_unit", testCase.unit);
        EXPECT_EQ(PairsiftDefaults::smallFileSize(), testCase.expected)
            << testCase.size.toString().toStdString() << " × unit " << testCase.unit.toString().toStdString();
    }
}

TEST_F(PairsiftDefaultsTest, booleanSettingsReadTextsAndNumbers)
{
    using Read = bool (*)();
    const struct {
        const char* key;
        Read read;
    } settings[] = {
        {"sort_ascending", &PairsiftDefaults::sortAscending},
        {"ignore_small_files", &PairsiftDefaults::ignoreSmallFiles},
        {"logging", &PairsiftDefaults::logging},
        {"confirm_delete_location", &PairsiftDefaults::confirmDeleteLocation},
    };
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    for (const auto& setting : settings) {
        const bool registered = store().registeredValue(setting.key).toString() == QLatin1String("YES");
        const struct {
            QVariant stored;
            bool expected;
        } cases[] = {
            {QStringLiteral("YES"), true}, {QStringLiteral("NO"), false}, {1, true},
            {0, false},                    {true, true},                  {QVariantList{}, registered},
        };
        for (const auto& testCase : cases) {
            store().setValue(setting.key, testCase.stored);
            EXPECT_EQ(setting.read(), testCase.expected) << setting.key << " " << testCase.stored.toString().toStdString();
        }
    }
}

TEST_F(PairsiftDefaultsTest, sortKeyAcceptsOnlyTheThreeKeys)
{
    const struct {
        QVariant stored;
        const char* expected;
    } cases[] = {
        {QStringLiteral("name"), "name"}, {QStringLiteral("fileSize"), "fileSize"}, {QStringLiteral("Name"), "total"},
        {QStringLiteral(""), "total"},     {7, "total"},                             {QVariant(), "total"},
    };
    for (const auto& testCase : cases) {
        store().setValue("sort_key", testCase.stored);
        EXPECT_EQ(PairsiftDefaults::sortKey(), QString::fromUtf8(testCase.expected));
    }
    PairsiftDefaults::setSortKey(QStringLiteral("Name"));
    EXPECT_EQ(store().value("sort_key"), QVariant(QStringLiteral("Name")));
    PairsiftDefaults::setSortKey(QString());
    EXPECT_FALSE(store().value("sort_key").isValid());
}

TEST_F(PairsiftDefaultsTest, everyNonZeroPreferFilesKeepsNewerFiles)
{
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    const struct {
        QVariant stored;
        qint64 expected;
    } cases[] = {
        {0, 0}, {1, 1}, {2, 1}, {-1, 1}, {QStringLiteral("1"), 1}, {0.5, 0}, {QStringLiteral("newer"), 0}, {QVariantList{1}, 0},
    };
    for (const auto& testCase : cases) {
        store().setValue("prefer_files", testCase.stored);
        EXPECT_EQ(PairsiftDefaults::preferFiles(), testCase.expected) << testCase.stored.toString().toStdString();
    }
}

TEST_F(PairsiftDefaultsTest, someSettersWriteTheFileAtOnce)
{
    PairsiftDefaults::setPreferFiles(1);
    EXPECT_EQ(onDisk("prefer_files"), QVariant(qlonglong(1)));
    PairsiftDefaults::setConfirmDeleteLocation(false);
    EXPECT_EQ(onDisk("confirm_delete_location"), QVariant(false));
    PairsiftDefaults::setFilterArray({Filter(QStringLiteral(".git")), Filter(QStringLiteral("Thumbs.db"))});
    EXPECT_EQ(onDisk("filters"), (QVariantList{QStringLiteral(".git"), QStringLiteral("Thumbs.db")}));
    PairsiftDefaults::setSortAscending(true);
    EXPECT_FALSE(onDisk("sort_ascending").isValid());
    EXPECT_TRUE(PairsiftDefaults::sortAscending());
}

TEST_F(PairsiftDefaultsTest, filtersSkipElementsThatAreNotText)
{
    store().setValue("filters", QVariantList{QStringLiteral("a"), 5, QVariantList{}, QStringLiteral("b")});
    EXPECT_EQ(PairsiftDefaults::filterArray(), (QList<Filter>{Filter(QStringLiteral("a")), Filter(QStringLiteral("b"))}));
}

TEST_F(PairsiftDefaultsTest, failedFilterWriteIsReported)
{
    UserDefaults::setConfigurationFolder(m_tree.writeFile(QStringLiteral("not-a-folder"), "x"));
    const QString output = test::consoleOutput([] { PairsiftDefaults::setFilterArray({Filter()}); });
    EXPECT_TRUE(output.contains(QStringLiteral("Unable to write preferences to disk."))) << output.toStdString();
}

TEST_F(PairsiftDefaultsTest, locationsRoundTripThroughBookmarks)
{
    const QList<LocationItemPtr> saved{LocationItem::withPath(m_tree.makeFolder(QStringLiteral("b"))),
                                       LocationItem::withPath(m_tree.makeFolder(QStringLiteral("a")))};
    const QString savingOutput = test::consoleOutput([&] { PairsiftDefaults::setLocations(saved); });
    EXPECT_TRUE(savingOutput.contains(QStringLiteral("Saving locations to defaults: (\n    ") + saved[0]->path()));
    PairsiftDefaults::save();

    std::optional<QList<LocationItemPtr>> loaded;
    const QString loadingOutput = test::consoleOutput([&] { loaded = PairsiftDefaults::locations(); });
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(paths(*loaded), paths(saved));
    EXPECT_TRUE(loadingOutput.contains(QStringLiteral("Mapped bookmark data to location: ") + saved[1]->path()));
    EXPECT_TRUE(loadingOutput.contains(QStringLiteral("Loaded secure bookmarks from defaults: (")));
    EXPECT_EQ(onDisk("locations").toList().size(), 2);
}

TEST_F(PairsiftDefaultsTest, recentLocationsRoundTripWithTheirOwnTexts)
{
    EXPECT_FALSE(PairsiftDefaults::recentLocations().has_value());
    const QList<LocationItemPtr> saved{LocationItem::withPath(m_tree.root())};
    const QString output = test::consoleOutput([&] {
        PairsiftDefaults::setRecentLocations(saved);
        EXPECT_EQ(paths(PairsiftDefaults::recentLocations().value()), paths(saved));
    });
    EXPECT_TRUE(output.contains(QStringLiteral("Saving recent locations to defaults: ")));
    EXPECT_TRUE(output.contains(QStringLiteral("Mapped bookmark data to recent location: ") + m_tree.root()));
    EXPECT_TRUE(output.contains(QStringLiteral("Loaded secure bookmarks from defaults into recent locations: ")));
}

TEST_F(PairsiftDefaultsTest, locationWithoutBookmarkIsLeftOutWhenSaving)
{
    const auto bare = std::make_shared<LocationItem>(QUrl::fromLocalFile(QStringLiteral("/gone")), QByteArray(), 0);
    const auto kept = LocationItem::withPath(m_tree.root());
    const QString output = test::consoleOutput([&] { PairsiftDefaults::setLocations({bare, kept}); });
    EXPECT_TRUE(output.contains(QStringLiteral("Cannot get bookmark data for location: /gone")));
    EXPECT_EQ(paths(PairsiftDefaults::locations().value()), QStringList{m_tree.root()});
}

TEST_F(PairsiftDefaultsTest, unresolvableOrWrongBookmarksAreDroppedWithoutLegacyFallback)
{
    store().setValue("locations", QVariantList{QByteArray("junk"), QStringLiteral("/not/data"),
                                               makeBookmarkData(m_tree.root())});
    store().setValue("directories", QVariantList{QStringLiteral("/legacy")});
    EXPECT_EQ(paths(PairsiftDefaults::locations().value()), QStringList{m_tree.root()});
    store().setValue("locations", QVariantList{QByteArray("junk")});
    EXPECT_TRUE(PairsiftDefaults::locations().value().isEmpty());
}

TEST_F(PairsiftDefaultsTest, legacyDirectoriesServeWhileLocationsAreAbsent)
{
    const QString first = m_tree.makeFolder(QStringLiteral("z"));
    const QString second = m_tree.makeFolder(QStringLiteral("y"));
    store().setValue("directories", QVariantList{first + QStringLiteral("/"), 3, QString(""), second});
    QString output;
    std::optional<QList<LocationItemPtr>> loaded;
    output = test::consoleOutput([&] { loaded = PairsiftDefaults::locations(); });
    EXPECT_EQ(paths(loaded.value()), (QStringList{first, second}));
    EXPECT_TRUE(output.contains(QStringLiteral("Paths: (")));
    EXPECT_FALSE(PairsiftDefaults::recentLocations().has_value());

    store().setValue("locations", QStringLiteral("not a list")); // reads as absent
    EXPECT_EQ(PairsiftDefaults::locations().value().size(), 2);
}

TEST_F(PairsiftDefaultsTest, directoryIsStoredAndRemoved)
{
    PairsiftDefaults::setDirectory(QStringLiteral("/srv/photos"));
    EXPECT_EQ(PairsiftDefaults::directory(), QStringLiteral("/srv/photos"));
    PairsiftDefaults::setDirectory(QString());
    EXPECT_TRUE(PairsiftDefaults::directory().isNull());
    EXPECT_FALSE(store().value("directory").isValid());
}

TEST_F(PairsiftDefaultsTest, preferFilesObserverIsCalledAtOnceLoggingObserverOnlyOnChange)
{
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    QList<qint64> preferSeen;
    QList<bool> loggingSeen;
    const auto preferObserver = PairsiftDefaults::observePreferFiles([&](qint64 value) { preferSeen.append(value); });
    const auto loggingObserver = PairsiftDefaults::observeLogging([&](bool value) { loggingSeen.append(value); });
    EXPECT_EQ(preferSeen, QList<qint64>{0});
    EXPECT_TRUE(loggingSeen.isEmpty());

    PairsiftDefaults::setPreferFiles(7);
    store().setValue("logging", QStringLiteral("YES"));
    PairsiftDefaults::unobservePreferFiles(preferObserver);
    PairsiftDefaults::unobserveLogging(loggingObserver);
    PairsiftDefaults::setPreferFiles(0);
    store().setValue("logging", false);
    EXPECT_EQ(preferSeen, (QList<qint64>{0, 1}));
    EXPECT_EQ(loggingSeen, QList<bool>{true});
}

TEST_F(PairsiftDefaultsTest, firstRunIsRecordedOnce)
{
    const FirstRun first;
    EXPECT_TRUE(first.firstRun());
    ASSERT_TRUE(first.date().isValid());
    const FirstRun second;
    EXPECT_FALSE(second.firstRun());
    EXPECT_EQ(second.date(), first.date());

    store().setValue("first_run_date", QStringLiteral("last Tuesday"));
    const FirstRun unreadable;
    EXPECT_FALSE(unreadable.firstRun());
    EXPECT_FALSE(unreadable.date().isValid());
}

} // namespace
} // namespace pairsift
