// Which entries a scan counts, and what it logs for the ones it skips, on fixture trees.
#include "CountingTestSupport.h"

#include "model/FileAttributes.h"
#include "platform/UserDefaults.h"
#include "testkit/ConsoleCapture.h"
#include "testkit/FullDisk.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace pairsift::test {
namespace {

const QByteArray someContent = content(150);

void makeFifo(const TemporaryTree& tree, const QString& relative)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path(relative)).constData(), 0600), 0);
}


struct WalkCase {
    const char* name;
    std::function<void(const TemporaryTree&)> build;
    QStringList locations;
    QList<Filter> filters;
    std::vector<std::string> counted;
    // Lines as "Level: text"; "@" stands for the tree's root.
    QStringList logged;
    QStringList notLogged;
};

// A folder two hundred levels down: far longer than any file name in it.
std::string deepFolder()
{
    std::string path = "loc";
    for (int level = 0; level < 200; ++level)
        path += "/d";
    return path;
}

void PrintTo(const WalkCase& walkCase, std::ostream* out)
{
    *out << walkCase.name;
}

const QList<Filter> cvsroot{Filter(QStringLiteral("CVSROOT"))};

const WalkCase walkCases[] = {
    {"every_depth_and_hidden_entries",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/a.bin", someContent);
            tree.writeFile("loc/.hidden", someContent);
            tree.writeFile("loc/d1/d2/deep.bin", someContent);
            tree.writeFile("loc/.cache/x.bin", someContent);
        },
        {"loc"}, {}, {"loc/.cache/x.bin", "loc/.hidden", "loc/a.bin", "loc/d1/d2/deep.bin"},
        {"Debug: '@/loc' is the next supplied directory", "Debug: '@/loc' is a directory",
            "Debug: '@/loc': container type: 'directory'", "Debug: 'd1/d2/deep.bin' is the next path object",
            "Debug: '@/loc/d1/d2/deep.bin' is the full name", "Info: Adding file: '@/loc/a.bin'",
            "Debug: '@/loc/a.bin': file added, container type: 'directory', container path: '@/loc'",
            "Info: Scan complete"},
        {}},
    {"system_folder_inside_a_location",
        [](const TemporaryTree& tree) {
            tree.writeFile("System/core.bin", someContent);
            tree.writeFile("other/keep.bin", someContent);
        },
        {""}, {}, {"other/keep.bin"}, {"Debug: '@/System' is the new ignored dir"},
        {"Debug: 'System/core.bin' is the next path object", "Info: Ignoring file '@/System'"}},
    {"location_under_a_system_path",
        [](const TemporaryTree& tree) { tree.writeFile("System/sub/core.bin", someContent); },
        {"System/sub"}, {}, {}, {"Debug: '@/System/sub': file skipped", "Info: Scan complete"}, {}},
    {"filter_names_a_folder",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/CVSROOT/x.bin", someContent);
            tree.writeFile("loc/keep.bin", someContent);
        },
        {"loc"}, cvsroot, {"loc/keep.bin"},
        {"Info: Ignoring file '@/loc/CVSROOT'", "Debug: '@/loc/CVSROOT' is the new ignored dir"},
        {"Debug: 'CVSROOT/x.bin' is the next path object"}},
    {"filter_inside_a_file_name",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/a_CVSROOT_b.bin", someContent);
            tree.writeFile("loc/keep.bin", someContent);
        },
        {"loc"}, cvsroot, {"loc/keep.bin"}, {"Info: Ignoring file '@/loc/a_CVSROOT_b.bin'"},
        {"Info: Adding file: '@/loc/a_CVSROOT_b.bin'"}},
    {"filter_matches_the_location_itself",
        [](const TemporaryTree& tree) { tree.writeFile("CVSROOT-area/x.bin", someContent); },
        {"CVSROOT-area"}, cvsroot, {}, {"Debug: '@/CVSROOT-area': file skipped", "Info: Scan complete"},
        {"Debug: 'x.bin' is the next path object"}},
    {"filters_are_plain_case_sensitive_text",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/CVSROOT/x.bin", someContent);
            tree.writeFile("loc/y.bin", someContent);
        },
        {"loc"}, {Filter(QStringLiteral("cvsroot")), Filter(QStringLiteral("*.bin"))},
        {"loc/CVSROOT/x.bin", "loc/y.bin"}, {}, {}},
    {"empty_filter_matches_nothing",
        [](const TemporaryTree& tree) { tree.writeFile("loc/y.bin", someContent); },
        {"loc"}, {Filter(QString()), Filter(QStringLiteral(""))}, {"loc/y.bin"}, {},
        {"Info: Ignoring file '@/loc/y.bin'", "Debug: '@/loc': file skipped"}},
    {"package_inside_a_location",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/Tool.app/Contents/tool.dat", someContent);
            tree.writeFile("loc/keep.bin", someContent);
        },
        {"loc"}, {}, {"loc/keep.bin"}, {"Debug: '@/loc/Tool.app' is a bundle, ignoring"},
        {"Debug: 'Tool.app/Contents' is the next path object"}},
    {"listed_package_is_walked",
        [](const TemporaryTree& tree) { tree.writeFile("Tool.app/Contents/tool.dat", someContent); },
        {"Tool.app"}, {}, {"Tool.app/Contents/tool.dat"}, {"Debug: '@/Tool.app': container type: '(null)'"},
        {"Debug: '@/Tool.app': package skipped"}},
    {"zero_size_file",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/empty.bin", QByteArray());
            tree.writeFile("loc/keep.bin", someContent);
        },
        {"loc"}, {}, {"loc/keep.bin"},
        {"Info: Adding file: '@/loc/empty.bin'", "Warning: File '@/loc/empty.bin' has zero size"}, {}},
    {"fifo_is_not_offered",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/keep.bin", someContent);
            makeFifo(tree, "loc/pipe");
        },
        {"loc"}, {}, {"loc/keep.bin"}, {"Debug: '@/loc/pipe' is not a regular file, skipping"},
        {"Info: Adding file: '@/loc/pipe'"}},
    {"link_to_a_file_counts_the_target",
        [](const TemporaryTree& tree) {
            tree.writeFile("elsewhere/target.bin", someContent);
            tree.makeFolder("loc");
            tree.makeSymlink("loc/link.bin", tree.path("elsewhere/target.bin"));
        },
        {"loc"}, {}, {"elsewhere/target.bin"},
        {"Debug: '@/elsewhere/target.bin': file added, container type: 'directory', container path: '@/loc'"},
        {"Info: Adding file: '@/loc/link.bin'"}},
    {"link_to_a_file_of_the_same_location_counts_it_once",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/real.bin", someContent);
            tree.makeSymlink("loc/link.bin", "real.bin");
        },
        {"loc"}, {}, {"loc/real.bin"},
        {"Info: File '@/loc/real.bin' is the same file as one already added, skipping"}, {}},
    {"link_to_a_folder_is_neither_entered_nor_counted",
        [](const TemporaryTree& tree) {
            tree.writeFile("elsewhere/target.bin", someContent);
            tree.writeFile("loc/keep.bin", someContent);
            tree.makeSymlink("loc/folderlink", tree.path("elsewhere"));
        },
        {"loc"}, {}, {"loc/keep.bin"}, {"Debug: 'folderlink' is the next path object"},
        {"Debug: 'folderlink/target.bin' is the next path object", "Info: Adding file: '@/elsewhere/target.bin'"}},
    {"broken_link_is_skipped",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/keep.bin", someContent);
            tree.makeSymlink("loc/broken", tree.path("nowhere"));
        },
        {"loc"}, {}, {"loc/keep.bin"}, {"Debug: '@/loc/broken' is not a regular file, skipping"}, {}},
    // A file's path is kept as its folder and its own name: the parts must give back the walked path.
    {"names_with_newlines_and_very_deep_folders",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/line\nbreak.bin", someContent);
            tree.writeFile("loc/sub/caf\xc3\xa9 name longer than sixteen bytes.bin", someContent);
            tree.writeFile(QString::fromStdString(deepFolder() + "/deep.bin"), someContent);
        },
        {"loc"}, {}, {deepFolder() + "/deep.bin", "loc/line\nbreak.bin", "loc/sub/caf\xc3\xa9 name longer than sixteen bytes.bin"},
        {}, {}},
    {"location_given_twice",
        [](const TemporaryTree& tree) { tree.writeFile("loc/sub/a.bin", someContent); },
        {"loc", "loc"}, {}, {"loc/sub/a.bin"}, {"Info: Folder '@/loc' was already scanned, skipping"}, {}},
    {"nested_location_after_its_parent",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/a.bin", someContent);
            tree.writeFile("loc/sub/b.bin", someContent);
        },
        {"loc", "loc/sub"}, {}, {"loc/a.bin", "loc/sub/b.bin"},
        {"Debug: '@/loc/sub/b.bin': file added, container type: 'directory', container path: '@/loc'",
            "Info: Folder '@/loc/sub' was already scanned, skipping"},
        {}},
    {"nested_location_before_its_parent",
        [](const TemporaryTree& tree) {
            tree.writeFile("loc/a.bin", someContent);
            tree.writeFile("loc/sub/b.bin", someContent);
        },
        {"loc/sub", "loc"}, {}, {"loc/a.bin", "loc/sub/b.bin"},
        {"Debug: '@/loc/sub/b.bin': file added, container type: 'directory', container path: '@/loc/sub'",
            "Info: Folder '@/loc/sub' was already scanned, skipping"},
        {}},
    {"missing_location_and_file_location_leave_the_others",
        [](const TemporaryTree& tree) {
            tree.writeFile("plain.bin", someContent);
            tree.writeFile("loc/a.bin", someContent);
        },
        {"missing", "plain.bin", "loc"}, {}, {"loc/a.bin"}, {"Debug: '@/missing' is the next supplied directory"},
        {"Debug: '@/missing' is a directory", "Debug: '@/plain.bin' is a directory",
            "Info: Adding file: '@/plain.bin'"}},
};

class CountingWalkRules : public CountingTest, public testing::WithParamInterface<WalkCase> {
protected:
    QString expand(const QString& line) const
    {
        QString expanded = line;
        return expanded.replace(QLatin1Char('@'), m_tree.root());
    }
};

TEST_P(CountingWalkRules, countsExactlyTheFilesTheRulesKeep)
{
    const WalkCase& walkCase = GetParam();
    walkCase.build(m_tree);

    ASSERT_EQ(scanPaths(walkCase.locations, walkCase.filters), std::optional<bool>(true));

    EXPECT_EQ(sessionFiles(), walkCase.counted);
    EXPECT_EQ(storedFiles(), walkCase.counted);
    EXPECT_EQ(m_controller->fileCount(), walkCase.counted.size());
    const QStringList lines = m_log->levelledLines();
    for (const QString& line : walkCase.logged)
        EXPECT_TRUE(lines.contains(expand(line))) << "missing: " << expand(line).toStdString();
    for (const QString& line : walkCase.notLogged)
        EXPECT_FALSE(lines.contains(expand(line))) << "unexpected: " << expand(line).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Counting, CountingWalkRules, testing::ValuesIn(walkCases),
    [](const testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });

using CountingWalk = CountingTest;

TEST_F(CountingWalk, hardLinksAreCountedOnce)
{
    const QString first = m_tree.writeFile(QStringLiteral("loc/first.bin"), someContent);
    ASSERT_EQ(::link(QFile::encodeName(first).constData(),
                  QFile::encodeName(m_tree.path(QStringLiteral("loc/second.bin"))).constData()), 0);
    m_tree.writeFile(QStringLiteral("loc/other.bin"), someContent);

    ASSERT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(true));

    const std::vector<std::string> files = sessionFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.back(), "loc/other.bin");
    EXPECT_TRUE(files.front() == "loc/first.bin" || files.front() == "loc/second.bin") << files.front();
    EXPECT_EQ(m_log->text().count(QStringLiteral("is the same file as one already added")), 1);
}

TEST_F(CountingWalk, missingLocationIsMarkedUnreadable)
{
    m_tree.writeFile(QStringLiteral("loc/a.bin"), someContent);
    m_tree.writeFile(QStringLiteral("plain.bin"), someContent);
    const LocationItemPtr missing = location(QStringLiteral("missing"));
    const LocationItemPtr plainFile = location(QStringLiteral("plain.bin"));
    const LocationItemPtr folder = location(QStringLiteral("loc"));

    ASSERT_EQ(scan({missing, plainFile, folder}), std::optional<bool>(true));

    EXPECT_EQ(missing->status(), LocationItem::UnreadableStatus);
    EXPECT_EQ(missing->statusImage(), QStringLiteral("error"));
    EXPECT_EQ(missing->statusReason(), QStringLiteral("No such file or directory"));
    EXPECT_EQ(m_controller->unreadableFolders().count(), 1u);
    EXPECT_EQ(m_log->text().count(QStringLiteral("Unable to read folder")), 1);
    EXPECT_EQ(plainFile->status(), 0);
    EXPECT_EQ(folder->status(), 0);
    EXPECT_EQ(sessionFiles(), std::vector<std::string>{"loc/a.bin"});
}

TEST_F(CountingWalk, locationsListedInTheLog)
{
    m_tree.makeFolder(QStringLiteral("a"));
    m_tree.makeFolder(QStringLiteral("b"));
    ASSERT_EQ(scanPaths({QStringLiteral("a"), QStringLiteral("b")}), std::optional<bool>(true));
    EXPECT_TRUE(m_log->text().contains(QStringLiteral("<Debug>: Locations: (\n    %1,\n    %2\n)\n")
                                           .arg(m_tree.path(QStringLiteral("a")), m_tree.path(QStringLiteral("b")))))
        << m_log->text().toStdString();
}

TEST_F(CountingWalk, nameThatIsNotUtf8IsSkippedWithAWarning)
{
    m_tree.writeFile(QStringLiteral("loc/keep.bin"), someContent);
    // Qt cannot name such a file, so the test makes and removes it itself.
    const QByteArray rawPath = QFile::encodeName(m_tree.path(QStringLiteral("loc"))) + "/bad\xff\xfe.bin";
    const int descriptor = ::open(rawPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::write(descriptor, someContent.constData(), someContent.size()), someContent.size());
    ::close(descriptor);

    const std::optional<bool> completion = scanPaths({QStringLiteral("loc")});
    ::unlink(rawPath.constData());

    EXPECT_EQ(completion, std::optional<bool>(true));
    EXPECT_EQ(sessionFiles(), std::vector<std::string>{"loc/keep.bin"});
    EXPECT_TRUE(m_log->has(QStringLiteral("Warning: A file name in '%1' is not valid UTF-8, skipping it")
                               .arg(m_tree.path(QStringLiteral("loc")))));
}

TEST_F(CountingWalk, unreadableFolderIsLoggedAndTheWalkGoesOn)
{
    m_tree.writeFile(QStringLiteral("loc/a/first.bin"), someContent);
    m_tree.writeFile(QStringLiteral("loc/z/last.bin"), someContent);
    std::optional<bool> completion;
    {
        UnreadableFolder locked(m_tree, QStringLiteral("loc/locked"));
        if (!locked.isDenied())
            GTEST_SKIP() << "this process reads folders without permissions";
        completion = scanPaths({QStringLiteral("loc")});
    }

    EXPECT_EQ(completion, std::optional<bool>(true));
    EXPECT_EQ(sessionFiles(), (std::vector<std::string>{"loc/a/first.bin", "loc/z/last.bin"}));
    EXPECT_TRUE(m_log->has(QStringLiteral("Warning: Unable to read folder '%1': %2")
                               .arg(m_tree.path(QStringLiteral("loc/locked")), qt_error_string(EACCES))))
        << m_log->text().toStdString();
}

// A scan of the home folder: the data folder (store, logs), the configuration folder and the live store
// wherever it lies are skipped; a sibling whose name merely starts the same is not.
TEST_F(CountingWalk, theProgramsOwnFilesAreNeverCounted)
{
    const QByteArray previousDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_tree.path(QStringLiteral("home/data"))));
    UserDefaults::setConfigurationFolder(m_tree.makeFolder(QStringLiteral("home/config/Pairsift")));
    setSmallFileSettings(false, 100, 0);
    m_tree.writeFile(QStringLiteral("home/data/Pairsift/PairsiftData.db3"), someContent);
    m_tree.writeFile(QStringLiteral("home/data/Pairsift/Logs/Pairsift-1.log"), someContent);
    m_tree.writeFile(QStringLiteral("home/config/Pairsift/settings.ini"), someContent);
    m_tree.writeFile(QStringLiteral("home/data/PairsiftOther/keep.bin"), someContent);
    m_tree.writeFile(QStringLiteral("home/doc.bin"), someContent);
    m_tree.makeFolder(QStringLiteral("home/elsewhere"));
    m_db = PairsiftDatabase::databaseWithPath(m_tree.path(QStringLiteral("home/elsewhere/store.db3")));
    ASSERT_TRUE(m_db);
    m_session = std::make_shared<Session>(m_db, nullptr);

    const std::optional<bool> completion = scanPaths({QStringLiteral("home")});
    qputenv("XDG_DATA_HOME", previousDataHome);

    EXPECT_EQ(completion, std::optional<bool>(true));
    EXPECT_EQ(sessionFiles(), (std::vector<std::string>{"home/data/PairsiftOther/keep.bin", "home/doc.bin"}))
        << m_log->text().toStdString();
}

// However far the walk runs ahead of the files being kept, every entry's lines come together and in the
// walk's order, kept files and filtered ones alike.
TEST_F(CountingWalk, everyEntryIsLoggedWholeAndInWalkOrder)
{
    constexpr int fileCount = 3000;
    for (int index = 0; index < fileCount; ++index) {
        m_tree.writeFile(QStringLiteral("loc/%1-%2.bin").arg(index % 3 == 0 ? "skip" : "keep").arg(index),
            content(120, static_cast<quint32>(index)));
    }
    ASSERT_EQ(scanPaths({QStringLiteral("loc")}, {Filter(QStringLiteral("skip-"))}), std::optional<bool>(true));

    const QStringList lines = m_log->levelledLines();
    const QString pathLine = QStringLiteral("' is the full name");
    qsizetype entries = 0;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        if (!lines[index].endsWith(pathLine))
            continue;
        ++entries;
        const QString path = lines[index].section(QLatin1Char('\''), 1, -2);
        const QStringList expected = path.contains(QStringLiteral("/skip-"))
            ? QStringList{QStringLiteral("Info: Ignoring file '%1'").arg(path)}
            : QStringList{QStringLiteral("Info: Adding file: '%1'").arg(path),
                  QStringLiteral("Debug: '%1': file added, container type: 'directory', container path: '%2'")
                      .arg(path, m_tree.path(QStringLiteral("loc")))};
        ASSERT_EQ(lines.mid(index + 1, expected.size()), expected) << "after line " << index;
        if (entries < fileCount) {
            ASSERT_TRUE(lines.value(index + 1 + expected.size()).endsWith(QStringLiteral("' is the next path object")));
        }
    }
    EXPECT_EQ(entries, fileCount);
    EXPECT_EQ(m_session->fileCount(), static_cast<std::uint64_t>(fileCount - fileCount / 3));
}

// The disk comes first, so the fixture's store is opened on it.
class CountingOnAFullDisk : protected FullDisk, public CountingTest {};

// The disk fills up as the first file is inserted: SQLite ends the scan's transaction, and the walk must
// stop there instead of logging one failure per file and committing later inserts one by one.
TEST_F(CountingOnAFullDisk, anInsertThatEndedTheTransactionStopsTheScan)
{
    for (int index = 0; index < 30; ++index)
        m_tree.writeFile(QStringLiteral("loc/f%1.bin").arg(index), content(150, static_cast<quint32>(index)));
    setFullWhen([this] { return m_session->fileCount() > 0; });

    std::optional<bool> completion;
    const QString console = consoleOutput([&] { completion = scanPaths({QStringLiteral("loc")}); });

    EXPECT_EQ(completion, std::optional<bool>(false));
    EXPECT_EQ(m_session->fileCount(), 1u);
    EXPECT_EQ(console.count(QStringLiteral("Error adding file")), 1) << console.toStdString();
    EXPECT_TRUE(m_log->has(QStringLiteral("Error: The store could not keep the scan's files; the scan is stopped")));
    setFull(false);
    EXPECT_TRUE(storedFiles().empty());
}

// A folder that can be listed but not searched: its files' attributes cannot be read.
TEST_F(CountingWalk, aFileWhoseAttributesCannotBeReadIsLoggedWithTheReason)
{
    const QString file = m_tree.writeFile(QStringLiteral("loc/closed/f.bin"), someContent);
    m_tree.writeFile(QStringLiteral("loc/keep.bin"), someContent);
    std::optional<bool> completion;
    {
        UnreadableFolder closed(m_tree, QStringLiteral("loc/closed"), 0444);
        if (readFileAttributes(file).has_value())
            GTEST_SKIP() << "this process reads attributes without permissions";
        completion = scanPaths({QStringLiteral("loc")});
    }

    EXPECT_EQ(completion, std::optional<bool>(true));
    EXPECT_EQ(sessionFiles(), std::vector<std::string>{"loc/keep.bin"});
    EXPECT_TRUE(m_log->has(
        QStringLiteral("Warning: Unable to read the attributes of file '%1': %2").arg(file, qt_error_string(EACCES))))
        << m_log->text().toStdString();
    EXPECT_FALSE(m_log->text().contains(QStringLiteral("has zero size")));
}

} // namespace
} // namespace pairsift::test
