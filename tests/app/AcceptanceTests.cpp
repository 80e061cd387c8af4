// The whole program as a user drives it: scan a folder of duplicates, mark, stage, remove, put back,
// link, quit, start again and scan again, and nothing outside the chosen files changes.
#include "app/AppTestSupport.h"

#include "app/MainWindow.h"
#include "model/Session.h"
#include "removal/TrashSheetController.h"
#include "removal/views/TrashSheet.h"
#include "results/ResultsController.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <ostream>

#include <unistd.h>

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pairsift::test {
namespace {

// Path below the tree → a digest of its content, or the target of a symbolic link.
QMap<QString, QByteArray> treeDigests(const QString& root)
{
    QMap<QString, QByteArray> digests;
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString relative = QDir(root).relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            digests.insert(relative, "link:" + info.symLinkTarget().toUtf8());
            continue;
        }
        QFile file(info.filePath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
        digests.insert(relative, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1));
    }
    return digests;
}

class AcceptanceTest : public AppTest {
protected:
    QStringList stagedPaths(const TrashSheetController& sheet) const
    {
        QStringList paths;
        for (const FileItemPtr& file : sheet.deletedFiles())
            paths.append(file->name());
        paths.sort();
        return paths;
    }
    // Selects the staged row of `path` and runs `action` on it to its end.
    void runOn(TrashSheetController& sheet, const QString& path, void (TrashSheetController::*action)())
    {
        const QList<FileItemPtr>& rows = sheet.deletedFiles();
        const auto found = std::find_if(rows.cbegin(), rows.cend(), [&](const FileItemPtr& file) { return file->name() == path; });
        ASSERT_NE(found, rows.cend()) << path.toStdString();
        sheet.setSelectionIndexes({int(found - rows.cbegin())});
        (sheet.*action)();
        ASSERT_TRUE(waitForSignal(&sheet, QMetaMethod::fromSignal(&TrashSheetController::runFinished)));
        EXPECT_FALSE(sheet.hasErrorMark(path)) << path.toStdString();
        EXPECT_FALSE(stagedPaths(sheet).contains(path));
    }
    // Group → its files in display order, the kept one first, by path below "files/fix".
    QList<QStringList> shownGroups() const
    {
        QList<QStringList> groups;
        for (std::uint64_t index = 0; index < session().groupCount(); ++index) {
            QStringList files;
            for (const FileItemPtr& file : session().groupAtIndex(index)->files())
                files.append(QDir(filesPath(QStringLiteral("fix"))).relativeFilePath(file->name()));
            groups.append(files);
        }
        std::sort(groups.begin(), groups.end());
        return groups;
    }
    // The home Trash; the data folder must be a temporary one.
    QString trashFolder() const
    {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
        EXPECT_TRUE(folder.startsWith(QDir::tempPath())) << folder.toStdString();
        return folder;
    }
};

TEST_F(AcceptanceTest, aUserRemovesDuplicatesAndNothingElseChanges)
{
    // In one location the older file is kept, then the first by name: the kept copies are written first
    // and sort first.
    writeFile(QStringLiteral("fix/archive/photo.jpg"), QByteArray(4000, 'p'));
    writeFile(QStringLiteral("fix/archive/report.txt"), QByteArray(3000, 'r'));
    writeFile(QStringLiteral("fix/archive/notes.md"), QByteArray(2500, 'n'));
    writeFile(QStringLiteral("fix/copies/2019/summer/photo copy.jpg"), QByteArray(4000, 'p'));
    writeFile(QStringLiteral("fix/backup/report.txt"), QByteArray(3000, 'r'));
    writeFile(QStringLiteral("fix/backup/old/report (2).txt"), QByteArray(3000, 'r'));
    writeFile(QStringLiteral("fix/backup/notes copy.md"), QByteArray(2500, 'n'));
    // Same size, other content: never a duplicate.
    writeFile(QStringLiteral("fix/same-size.txt"), QByteArray(3000, 's'));
    // A hard link and a symbolic link are the same file, not copies.
    writeFile(QStringLiteral("fix/hard.txt"), QByteArray(1500, 'h'));
    ASSERT_EQ(::link(QFile::encodeName(filesPath(QStringLiteral("fix/hard.txt"))).constData(),
                     QFile::encodeName(filesPath(QStringLiteral("fix/backup/hard link.txt"))).constData()), 0);
    ASSERT_TRUE(QFile::link(filesPath(QStringLiteral("fix/archive/photo.jpg")), filesPath(QStringLiteral("fix/copies/photo link.jpg"))));
    writeFile(QStringLiteral("elsewhere/photo.jpg"), QByteArray(4000, 'p'));
    const QMap<QString, QByteArray> before = treeDigests(filesPath(QString()));

    launchAndScan({QStringLiteral("fix")});
    const QList<QStringList> expectedGroups = {
        {QStringLiteral("archive/notes.md"), QStringLiteral("backup/notes copy.md")},
        {QStringLiteral("archive/photo.jpg"), QStringLiteral("copies/2019/summer/photo copy.jpg")},
        {QStringLiteral("archive/report.txt"), QStringLiteral("backup/report.txt"), QStringLiteral("backup/old/report (2).txt")},
    };
    QList<QStringList> shown = shownGroups();
    ASSERT_EQ(shown.size(), 3);
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(shown[index].first(), expectedGroups[index].first()) << "kept file";
        EXPECT_EQ(QSet<QString>(shown[index].cbegin(), shown[index].cend()),
                  QSet<QString>(expectedGroups[index].cbegin(), expectedGroups[index].cend()));
    }

    // Mark all but the kept files, stage them.
    m_controller->window()->selectDuplicatesAction()->trigger();
    EXPECT_EQ(results().markedCount(), 4u);
    m_controller->window()->stageAction()->trigger();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_EQ(session().groupCount(), 0u);
    EXPECT_EQ(m_controller->numOfTrashFiles(), 4u);

    const QString trashed = filesPath(QStringLiteral("fix/copies/2019/summer/photo copy.jpg"));
    const QString putBack = filesPath(QStringLiteral("fix/backup/report.txt"));
    const QString linked = filesPath(QStringLiteral("fix/backup/old/report (2).txt"));
    const QString leftStaged = filesPath(QStringLiteral("fix/backup/notes copy.md"));
    {
        TrashSheetController* opened = openRemovalSheet();
        ASSERT_TRUE(opened);
        TrashSheetController& sheet = *opened;
        EXPECT_EQ(stagedPaths(sheet), QStringList({leftStaged, linked, putBack, trashed}));
        runOn(sheet, trashed, &TrashSheetController::deletePermanently);
        runOn(sheet, putBack, &TrashSheetController::putBack);
        runOn(sheet, linked, &TrashSheetController::deleteAndLink);
        EXPECT_EQ(stagedPaths(sheet), QStringList({leftStaged}));
        // Its kept copy's folder is away for a moment: the sheet refuses and says why, and touches nothing.
        const QString keptFolder = filesPath(QStringLiteral("fix/archive"));
        ASSERT_TRUE(QDir().rename(keptFolder, keptFolder + QStringLiteral("-away")));
        sheet.setSelectionIndexes({0});
        sheet.deletePermanently();
        ASSERT_TRUE(waitForSignal(&sheet, QMetaMethod::fromSignal(&TrashSheetController::runFinished)));
        ASSERT_TRUE(QDir().rename(keptFolder + QStringLiteral("-away"), keptFolder));
        EXPECT_EQ(sheet.message(), QStringLiteral("1 file was not removed: its kept copy is missing. Scan again to see the current duplicates."));
        EXPECT_EQ(sheet.failureReason(leftStaged), QStringLiteral("its kept copy is missing"));
        EXPECT_FALSE(sheet.hasErrorMark(leftStaged)) << "a refusal never leads to a permanent deletion";
        EXPECT_EQ(stagedPaths(sheet), QStringList({leftStaged}));
        sheet.close();
        ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    }
    EXPECT_FALSE(QFileInfo::exists(trashed));
    EXPECT_EQ(QFileInfo(linked).symLinkTarget(), filesPath(QStringLiteral("fix/archive/report.txt")));
    EXPECT_TRUE(QFileInfo(linked).isSymLink());
    EXPECT_TRUE(QFile::symLinkTarget(linked).startsWith(QLatin1Char('/'))) << "an absolute link";
    // Both removed files are in the Trash with a valid record and their content.
    QMap<QString, QByteArray> inTrash;
    const QString trash = trashFolder();
    for (const QString& name : QDir(trash + QStringLiteral("/files")).entryList(QDir::Files)) {
        QFile info(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        ASSERT_TRUE(info.open(QIODevice::ReadOnly)) << name.toStdString();
        const QList<QByteArray> lines = info.readAll().trimmed().split('\n');
        ASSERT_EQ(lines.value(0), QByteArray("[Trash Info]"));
        QString original;
        for (const QByteArray& line : lines) {
            if (line.startsWith("Path="))
                original = QUrl::fromPercentEncoding(line.mid(5));
        }
        QFile content(trash + QStringLiteral("/files/") + name);
        ASSERT_TRUE(content.open(QIODevice::ReadOnly));
        inTrash.insert(original, QCryptographicHash::hash(content.readAll(), QCryptographicHash::Sha1));
    }
    EXPECT_EQ(inTrash.keys(), QStringList({linked, trashed}));
    const auto digestOf = [&](const QString& path) { return before.value(QDir(filesPath(QString())).relativeFilePath(path)); };
    EXPECT_EQ(inTrash.value(trashed), digestOf(trashed));
    EXPECT_EQ(inTrash.value(linked), digestOf(linked));
    // The file put back is listed again with its kept copy.
    shown = shownGroups();
    EXPECT_EQ(shown, QList<QStringList>({{QStringLiteral("archive/report.txt"), QStringLiteral("backup/report.txt")}}));

    // Quit, with what a crash in Delete and link leaves behind: the file set aside and the temporary link.
    // Starting again puts the file back; the staged row and the results come back.
    quit();
    const QString folder = QFileInfo(leftStaged).path() + QLatin1Char('/');
    ASSERT_TRUE(QFile::rename(leftStaged, folder + QStringLiteral(".pairsift-aside-notes copy.md")));
    ASSERT_TRUE(QFile::link(filesPath(QStringLiteral("fix/archive/notes.md")), folder + QStringLiteral(".pairsift-link-notes copy.md")));
    launch();
    EXPECT_EQ(shownGroups(), shown);
    EXPECT_EQ(m_controller->numOfTrashFiles(), 1u);
    {
        TrashSheetController* opened = openRemovalSheet();
        ASSERT_TRUE(opened);
        TrashSheetController& sheet = *opened;
        EXPECT_EQ(stagedPaths(sheet), QStringList({leftStaged}));
        sheet.close();
    }
    // A rescan does not pair the link with its target.
    scanAndWait();
    EXPECT_EQ(shownGroups(), shown);

    // Only the chosen files changed: one gone to the Trash, one now a link.
    QMap<QString, QByteArray> expected = before;
    expected.remove(QStringLiteral("fix/copies/2019/summer/photo copy.jpg"));
    expected.insert(QStringLiteral("fix/backup/old/report (2).txt"), "link:" + filesPath(QStringLiteral("fix/archive/report.txt")).toUtf8());
    EXPECT_EQ(treeDigests(filesPath(QString())), expected);
}

} // namespace
} // namespace pairsift::test
