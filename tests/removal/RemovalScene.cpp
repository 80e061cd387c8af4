#include "RemovalScene.h"

#include "RemovalTestSupport.h"
#include "store/PairsiftDatabase.h"

#include <gtest/gtest.h>

namespace pairsift::test {

RemovalScene::RemovalScene()
    : store(PairsiftDatabase::databaseWithPath(tree.path(QStringLiteral("PairsiftData.db3"))))
{
    EXPECT_TRUE(store);
    controller.setDatabase(store);
    controller.setLogger(log.logger());
    controller.setFileSystem(desktopFileSystem());
    QObject::connect(&controller, &TrashSheetController::runFinished, [this] { ++finishedRuns; });
    QObject::connect(&controller, &TrashSheetController::permanentDeletionRequested, [this](quint64 count) {
        questions.append(count);
        controller.answerPermanentDeletion(answer);
    });
    kept = addFile(QStringLiteral("kept/kept.txt"), false);
}

QString RemovalScene::addFile(const QString& relative, bool isStaged, const ContainerType& type)
{
    const QString path = tree.writeFile(relative, content);
    EXPECT_TRUE(store->addFile(path, content.size(), {}, type, tree.root()));
    EXPECT_TRUE(store->updateFile(path, QByteArray(20, 's')));
    if (isStaged) {
        EXPECT_TRUE(store->trashFile(path, kept));
    }
    return path;
}

void RemovalScene::load()
{
    controller.loadStagedFiles();
    EXPECT_TRUE(waitUntil([this] { return !controller.isBusy(); }));
}

void RemovalScene::selectAll()
{
    QList<int> rows;
    for (int row = 0; row < controller.deletedFiles().size(); ++row)
        rows.append(row);
    controller.setSelectionIndexes(rows);
}

int RemovalScene::rowWhere(const std::function<bool(const FileItem& file)>& isWanted) const
{
    const QList<FileItemPtr>& files = controller.deletedFiles();
    for (int row = 0; row < files.size(); ++row) {
        if (isWanted(*files.at(row)))
            return row;
    }
    return -1;
}

bool RemovalScene::runOnAll(void (TrashSheetController::*action)())
{
    selectAll();
    const int before = finishedRuns;
    (controller.*action)();
    if (!controller.isRunning())
        return false;
    // A yes to a permanent deletion starts the run that follows at the end of the first.
    EXPECT_TRUE(waitUntil([&] { return finishedRuns > before && !controller.isRunning(); }));
    return true;
}

QStringList RemovalScene::listed() const
{
    QStringList paths;
    for (const FileItemPtr& file : controller.deletedFiles())
        paths.append(file->name());
    paths.sort();
    return paths;
}

QStringList RemovalScene::stagedRows()
{
    QStringList paths;
    store->enumerateDeletedFiles([&](const QString& path, auto&&...) { paths.append(path); });
    paths.sort();
    return paths;
}

} // namespace pairsift::test
