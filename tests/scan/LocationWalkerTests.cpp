#include "scan/LocationWalker.h"

#include "CountingTestSupport.h"

#include <QFile>
#include <QScopeGuard>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pairsift::test {
namespace {

using Kind = LocationWalker::EntryKind;
using Action = LocationWalker::Action;

struct Visit {
    std::string relativePath;
    Kind kind;
    bool operator==(const Visit&) const = default;
    bool operator<(const Visit& other) const { return relativePath < other.relativePath; }
};

void PrintTo(const Visit& visit, std::ostream* out)
{
    *out << visit.relativePath << " (" << static_cast<int>(visit.kind) << ")";
}

class LocationWalkerTest : public testing::Test {
protected:
    LocationWalkerTest()
        : m_walker(m_log.logger())
    {
    }

    // Walks `folder`, answering `decide` for each entry; the visits in walk order.
    std::vector<Visit> walk(
        const QString& folder, const std::function<Action(const LocationWalker::Entry&)>& decide = {})
    {
        std::vector<Visit> visits;
        m_lastResult = m_walker.walk(folder, [&](const LocationWalker::Entry& entry) {
            EXPECT_EQ(entry.fullPath, folder + QLatin1Char('/') + entry.relativePath);
            visits.push_back({entry.relativePath.toStdString(), entry.kind});
            return decide ? decide(entry) : Action::Continue;
        });
        return visits;
    }

    static std::vector<Visit> sorted(std::vector<Visit> visits)
    {
        std::sort(visits.begin(), visits.end());
        return visits;
    }

    TemporaryTree m_tree;
    LogCapture m_log;
    LocationWalker m_walker;
    bool m_lastResult = false;
};

TEST_F(LocationWalkerTest, reportsEveryEntryWithItsKind)
{
    m_tree.writeFile(QStringLiteral("a.bin"), "a");
    m_tree.writeFile(QStringLiteral(".hidden"), "h");
    m_tree.writeFile(QStringLiteral("sub/deeper/c.bin"), "c");
    m_tree.makeSymlink(QStringLiteral("filelink"), QStringLiteral("a.bin"));
    m_tree.makeSymlink(QStringLiteral("folderlink"), m_tree.path(QStringLiteral("sub")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_tree.path(QStringLiteral("pipe"))).constData(), 0600), 0);

    const std::vector<Visit> visits = sorted(walk(m_tree.root()));

    EXPECT_TRUE(m_lastResult);
    EXPECT_EQ(visits, (std::vector<Visit>{{".hidden", Kind::RegularFile}, {"a.bin", Kind::RegularFile},
                          {"filelink", Kind::SymbolicLink}, {"folderlink", Kind::SymbolicLink}, {"pipe", Kind::Other},
                          {"sub", Kind::Directory}, {"sub/deeper", Kind::Directory},
                          {"sub/deeper/c.bin", Kind::RegularFile}}));
}

TEST_F(LocationWalkerTest, skippedFolderIsNotEntered)
{
    m_tree.writeFile(QStringLiteral("skip/inner.bin"), "x");
    m_tree.writeFile(QStringLiteral("keep/inner.bin"), "x");

    const std::vector<Visit> visits = sorted(walk(m_tree.root(), [](const LocationWalker::Entry& entry) {
        return entry.relativePath == QLatin1String("skip") ? Action::SkipDescendants : Action::Continue;
    }));

    EXPECT_EQ(visits, (std::vector<Visit>{{"keep", Kind::Directory}, {"keep/inner.bin", Kind::RegularFile},
                          {"skip", Kind::Directory}}));
}

TEST_F(LocationWalkerTest, stopEndsTheWalkAtOnce)
{
    for (const char* name : {"a/1", "b/2", "c/3"})
        m_tree.writeFile(QString::fromLatin1(name), "x");

    const std::vector<Visit> visits = walk(m_tree.root(), [](const LocationWalker::Entry&) { return Action::Stop; });

    EXPECT_FALSE(m_lastResult);
    EXPECT_EQ(visits.size(), 1u);
}

TEST_F(LocationWalkerTest, folderAlreadyEnteredIsNotEnteredAgain)
{
    m_tree.writeFile(QStringLiteral("sub/a.bin"), "a");
    ASSERT_EQ(walk(m_tree.root()).size(), 2u);

    EXPECT_TRUE(walk(m_tree.root()).empty());
    EXPECT_TRUE(walk(m_tree.path(QStringLiteral("sub"))).empty());
    EXPECT_TRUE(m_lastResult);
    EXPECT_TRUE(m_log.has(
        QStringLiteral("Info: Folder '%1' was already scanned, skipping").arg(m_tree.path(QStringLiteral("sub")))));
}

TEST_F(LocationWalkerTest, missingFolderYieldsNothingSilently)
{
    EXPECT_TRUE(walk(m_tree.path(QStringLiteral("missing"))).empty());
    EXPECT_TRUE(m_lastResult);
    EXPECT_TRUE(m_log.lines().isEmpty());
}

TEST_F(LocationWalkerTest, deepTreeIsWalkedToTheBottom)
{
    // Deeper than a walk that recursed per folder would comfortably go with its stack frames, and
    // still within the longest path the system opens.
    constexpr int depth = 1500;
    QString relative;
    for (int level = 0; level < depth; ++level)
        relative += QStringLiteral("d/");
    ASSERT_EQ(::mkdir(QFile::encodeName(m_tree.path(QStringLiteral("d"))).constData(), 0755), 0);
    QByteArray path = QFile::encodeName(m_tree.path(QStringLiteral("d")));
    for (int level = 1; level < depth; ++level) {
        path += "/d";
        ASSERT_EQ(::mkdir(path.constData(), 0755), 0) << level;
    }

    const std::vector<Visit> visits = walk(m_tree.root());

    ASSERT_EQ(visits.size(), static_cast<std::size_t>(depth));
    EXPECT_EQ(QString::fromStdString(visits.back().relativePath) + QLatin1Char('/'), relative);
}

TEST_F(LocationWalkerTest, unreadableFolderIsLoggedAndSkipped)
{
    m_tree.writeFile(QStringLiteral("a.bin"), "a");
    m_tree.writeFile(QStringLiteral("z/last.bin"), "z");
    std::vector<Visit> visits;
    {
        UnreadableFolder locked(m_tree, QStringLiteral("locked"));
        if (!locked.isDenied())
            GTEST_SKIP() << "this process reads folders without permissions";
        visits = sorted(walk(m_tree.root()));
    }

    EXPECT_TRUE(m_lastResult);
    EXPECT_EQ(visits, (std::vector<Visit>{{"a.bin", Kind::RegularFile}, {"locked", Kind::Directory},
                          {"z", Kind::Directory}, {"z/last.bin", Kind::RegularFile}}));
    EXPECT_TRUE(m_log.has(QStringLiteral("Warning: Unable to read folder '%1': %2")
                              .arg(m_tree.path(QStringLiteral("locked")), qt_error_string(EACCES))));
}

// A system's /proc, /sys or /dev bind-mounted below a location (a chroot, a container root) is neither
// listed nor entered, and neither is it when it is the walked folder itself.
TEST_F(LocationWalkerTest, aFolderOnAPseudoFileSystemIsSkippedWithAWarning)
{
    // A mount namespace of this thread's own, private, so the mounts are seen by nothing else.
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        GTEST_SKIP() << "cannot make a mount namespace here: " << std::strerror(errno);
    const struct {
        const char* source;
        const char* type;
    } cases[] = {{"/proc", "proc"}, {"/sys", "sysfs"}, {"/dev", "devtmpfs"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const QString root = m_tree.makeFolder(QLatin1String(c.type));
        m_tree.writeFile(QLatin1String(c.type) + QStringLiteral("/keep.bin"), "k");
        const QString mountPath = m_tree.makeFolder(QLatin1String(c.type) + QStringLiteral("/mounted"));
        const QByteArray mountPoint = QFile::encodeName(mountPath);
        if (::mount(c.source, mountPoint.constData(), nullptr, MS_BIND, nullptr) != 0)
            GTEST_SKIP() << "cannot bind-mount " << c.source << " here: " << std::strerror(errno);
        const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });

        const std::vector<Visit> visits = sorted(walk(root));
        EXPECT_TRUE(m_lastResult);
        EXPECT_EQ(visits, (std::vector<Visit>{{"keep.bin", Kind::RegularFile}, {"mounted", Kind::Directory}}));
        const QString warning =
            QStringLiteral("Warning: Folder '%1' is on the pseudo file system %2, skipping it").arg(mountPath, c.type);
        EXPECT_EQ(m_log.levelledLines().count(warning), 1);

        EXPECT_TRUE(walk(mountPath).empty());
        EXPECT_EQ(m_log.levelledLines().count(warning), 2);
    }
}

// "a" is swapped for a link to an outside folder after its listing named "c" and before "c" is entered:
// the walk goes on in the folder it listed and never shows the outside files under the tree's paths.
// Without helpers "c" is surely opened after the swap; with them it may have been listed before it.
TEST_F(LocationWalkerTest, folderSwappedForALinkMidWalkCannotLeadOutside)
{
    for (const int helpers : {0, LocationWalker::defaultHelperCount}) {
        TemporaryTree tree;
        TemporaryTree outside;
        outside.writeFile(QStringLiteral("c/secret.bin"), "s");
        tree.writeFile(QStringLiteral("a/b/1.bin"), "1");
        tree.writeFile(QStringLiteral("a/b/2.bin"), "2");
        tree.writeFile(QStringLiteral("a/c/inner.bin"), "i");
        const QByteArray a = QFile::encodeName(tree.path(QStringLiteral("a")));
        LocationWalker walker(m_log.logger(), helpers);
        std::vector<Visit> visits;

        walker.walk(tree.root(), [&](const LocationWalker::Entry& entry) {
            if (entry.relativePath == QLatin1String("a/c")) {
                EXPECT_EQ(::rename(a.constData(), (a + "-moved").constData()), 0);
                EXPECT_EQ(::symlink(QFile::encodeName(outside.root()).constData(), a.constData()), 0);
            }
            visits.push_back({entry.relativePath.toStdString(), entry.kind});
            return Action::Continue;
        });

        EXPECT_EQ(sorted(visits), (std::vector<Visit>{{"a", Kind::Directory}, {"a/b", Kind::Directory},
                                      {"a/b/1.bin", Kind::RegularFile}, {"a/b/2.bin", Kind::RegularFile},
                                      {"a/c", Kind::Directory}, {"a/c/inner.bin", Kind::RegularFile}}))
            << helpers << " helpers";
    }
}

TEST_F(LocationWalkerTest, regularFilesComeWithTheirAttributes)
{
    const QString path = m_tree.writeFile(QStringLiteral("sub/f.bin"), "12345");
    std::optional<FileAttributes> attributes;
    walk(m_tree.root(), [&](const LocationWalker::Entry& entry) {
        if (entry.kind == Kind::RegularFile)
            attributes = entry.attributes;
        else
            EXPECT_FALSE(entry.attributes.has_value());
        return Action::Continue;
    });
    ASSERT_TRUE(attributes.has_value());
    EXPECT_EQ(attributes->size, 5u);
    EXPECT_EQ(attributes->id, readFileAttributes(path)->id);
}

// Folders listed ahead on helper threads are visited in exactly the order, and with exactly the log lines,
// of a walk that lists each folder in turn: wide and deep trees, folders skipped, a stop part-way.
TEST_F(LocationWalkerTest, readAheadKeepsTheOrderOfAWalkWithoutHelpers)
{
    for (int top = 0; top < 12; ++top) {
        for (int inner = 0; inner < 5; ++inner) {
            for (int file = 0; file < 3; ++file)
                m_tree.writeFile(QStringLiteral("t%1/i%2/f%3.bin").arg(top).arg(inner).arg(file), "x");
        }
    }
    QString deep = QStringLiteral("deep");
    for (int level = 0; level < 40; ++level)
        deep += QStringLiteral("/d%1").arg(level % 3);
    m_tree.writeFile(deep + QStringLiteral("/f.bin"), "x");
    m_tree.makeFolder(QStringLiteral("t3/i2/again"));

    struct Case {
        const char* name;
        std::function<Action(const LocationWalker::Entry&)> decide;
    };
    int visited = 0;
    const std::vector<Case> cases = {
        {"everything", {}},
        {"folders skipped", [](const LocationWalker::Entry& entry) {
             return entry.relativePath.endsWith(QLatin1String("i1")) || entry.relativePath.contains(QLatin1String("d2"))
                 ? Action::SkipDescendants : Action::Continue;
         }},
        {"stopped part-way", [&visited](const LocationWalker::Entry&) {
             return ++visited == 150 ? Action::Stop : Action::Continue;
         }},
    };
    for (const Case& test : cases) {
        std::vector<std::pair<std::vector<Visit>, QStringList>> runs;
        for (const int helpers : {0, 1, 4}) {
            visited = 0;
            LogCapture log;
            LocationWalker walker(log.logger(), helpers);
            std::vector<Visit> visits;
            // The walked folder given twice: the second walk is skipped by the first one's record.
            for (int pass = 0; pass < 2; ++pass) {
                walker.walk(m_tree.root(), [&](const LocationWalker::Entry& entry) {
                    visits.push_back({entry.relativePath.toStdString(), entry.kind});
                    return test.decide ? test.decide(entry) : Action::Continue;
                });
            }
            runs.emplace_back(std::move(visits), log.levelledLines());
        }
        ASSERT_GT(runs[0].first.size(), 20u) << test.name;
        ASSERT_FALSE(runs[0].second.isEmpty()) << test.name;
        for (std::size_t run = 1; run < runs.size(); ++run) {
            EXPECT_EQ(runs[run].first, runs[0].first) << test.name;
            EXPECT_EQ(runs[run].second, runs[0].second) << test.name;
        }
    }
}

} // namespace
} // namespace pairsift::test
