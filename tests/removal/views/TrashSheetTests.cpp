// The removal sheet's window offscreen over a temporary store: window-modal, the buttons follow the
// controller, and the completion tells whether files changed.
#include "removal/views/TrashSheet.h"

#include "RemovalScene.h"
#include "RemovalTestSupport.h"
#include "photolibs/ContainerType.h"
#include "platform/desktop/Trash.h"
#include "removal/TrashSheetController.h"
#include "removal/TrashSheetFilesModel.h"
#include "store/PairsiftDatabase.h"
#include "testkit/TemporaryTree.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>

namespace pairsift {
namespace {

QPushButton* button(QWidget* sheet, const QString& title)
{
    for (QPushButton* candidate : sheet->findChildren<QPushButton*>()) {
        if (candidate->text() == title)
            return candidate;
    }
    ADD_FAILURE() << "no button " << title.toStdString();
    return nullptr;
}

// The sheet over a shown window, with the scene's staged files listed; null when they never load.
TrashSheet* openLoadedSheet(QWidget& window, const test::RemovalScene& scene)
{
    window.show();
    TrashSheet* sheet = TrashSheet::openOver(&window, scene.store, {}, {});
    return test::waitUntil([&] { return !sheet->controller()->isBusy(); }) ? sheet : nullptr;
}

TEST(TrashSheet, opensWindowModalAndReportsWhetherFilesChanged)
{
    test::TemporaryTree tree;
    std::shared_ptr<PairsiftDatabase> store = PairsiftDatabase::databaseWithPath(tree.path(QStringLiteral("store.db3")));
    ASSERT_TRUE(store);
    const QString plain = tree.writeFile(QStringLiteral("plain.txt"), "x");
    const QString photo = tree.writeFile(QStringLiteral("Lib.photolibrary/Masters/p.jpg"), "x");
    ASSERT_TRUE(store->addFile(plain, 1, {}, containerTypeDirectory, tree.root()));
    ASSERT_TRUE(store->addFile(photo, 1, {}, containerTypeiPhoto, tree.root()));
    ASSERT_TRUE(store->trashFile(plain, {}));
    ASSERT_TRUE(store->trashFile(photo, {}));

    QWidget window;
    window.show();
    for (bool doesDelete : {false, true}) {
        std::optional<bool> changed;
        TrashSheet* sheet = TrashSheet::openOver(&window, store, {}, [&](bool hasChanged) { changed = hasChanged; });
        EXPECT_EQ(QApplication::activeModalWidget(), sheet);
        EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
        TrashSheetController* controller = sheet->controller();
        ASSERT_TRUE(test::waitUntil([&] { return !controller->isBusy(); }));
        auto* table = sheet->findChild<QTableView*>();
        ASSERT_EQ(table->model()->rowCount(), 2);

        table->selectAll();
        EXPECT_EQ(controller->selectionIndexes(), (QList<int>{0, 1}));
        EXPECT_FALSE(button(sheet, QStringLiteral("Delete and Link"))->isEnabled());
        EXPECT_EQ(controller->message(), QStringLiteral("Selected 2 files"));
        if (doesDelete) {
            table->selectRow(controller->deletedFiles().at(0)->name() == plain ? 0 : 1);
            EXPECT_TRUE(button(sheet, QStringLiteral("Delete and Link"))->isEnabled());
            button(sheet, QStringLiteral("Delete"))->click();
            ASSERT_TRUE(test::waitUntil([&] { return !controller->isRunning(); }));
            EXPECT_EQ(test::trashedPaths(tree.root()), QStringList{plain});
            EXPECT_EQ(table->model()->rowCount(), 1);
        }
        sheet->reject();
        ASSERT_TRUE(test::waitUntil([&] { return changed.has_value(); }));
        EXPECT_EQ(*changed, doesDelete);
    }
}

// The texts of the sheet's labels, the status line among them.
QStringList labelTexts(const QWidget* sheet)
{
    QStringList all;
    for (const QLabel* label : sheet->findChildren<QLabel*>())
        all.append(label->text());
    return all;
}

TEST(TrashSheet, showsWhyAFileWasNotRemovedAndAsksBeforeDeletingPermanently)
{
    test::RemovalScene scene;
    const QString staged = scene.addFile(QStringLiteral("copy.txt"));
    QWidget window;
    TrashSheet* sheet = openLoadedSheet(window, scene);
    ASSERT_TRUE(sheet);
    TrashSheetController* controller = sheet->controller();
    auto* table = sheet->findChild<QTableView*>();
    const auto clickDelete = [&] {
        table->selectRow(0);
        button(sheet, QStringLiteral("Delete"))->click();
        return test::waitUntil([&] { return !controller->isRunning(); });
    };

    scene.tree.writeFile(QStringLiteral("copy.txt"), "same, edited");
    ASSERT_TRUE(clickDelete());
    const QModelIndex error = table->model()->index(0, TrashSheetFilesModel::ErrorColumn);
    EXPECT_FALSE(error.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(error.data(Qt::ToolTipRole).toString(), QStringLiteral("Not removed: its size has changed."));
    EXPECT_TRUE(labelTexts(sheet).contains(QStringLiteral("1 file was not removed: its size has changed. Scan again to see the current duplicates.")));

    scene.tree.writeFile(QStringLiteral("copy.txt"), test::RemovalScene::content);
    controller->setFileSystem(RemovalFileSystem::withTrash({}));
    ASSERT_TRUE(clickDelete());
    ASSERT_TRUE(controller->hasErrorMark(staged));
    // The Trash refuses it again: only then is it offered for permanent deletion, and neither Enter nor
    // Esc deletes it.
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        table->selectRow(0);
        button(sheet, QStringLiteral("Delete"))->click();
        QMessageBox* alert = nullptr;
        ASSERT_TRUE(test::waitUntil([&] { return (alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); }));
        EXPECT_EQ(alert->text(), QStringLiteral("Delete 1 file permanently?"));
        EXPECT_EQ(alert->defaultButton()->text(), QStringLiteral("Cancel"));
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(alert, &press);
        ASSERT_TRUE(test::waitUntil([&] { return QApplication::activeModalWidget() == sheet; }));
        EXPECT_FALSE(controller->isRunning());
        EXPECT_TRUE(QFileInfo(staged).isFile());
    }
    sheet->reject();
}

TEST(TrashSheet, saysWhatItIsDoingAndEnterOnlyClosesIt)
{
    test::RemovalScene scene;
    const QString staged = scene.addFile(QStringLiteral("copy.txt"));
    QWidget window;
    window.show();
    std::optional<bool> changed;
    TrashSheet* sheet = TrashSheet::openOver(&window, scene.store, {}, [&](bool hasChanged) { changed = hasChanged; });
    TrashSheetController* controller = sheet->controller();
    const QList<QPushButton*> actions = {button(sheet, QStringLiteral("Delete")),
        button(sheet, QStringLiteral("Delete and Link")), button(sheet, QStringLiteral("Put Back"))};
    const auto* indicator = [&]() -> QProgressBar* {
        for (QProgressBar* bar : sheet->findChildren<QProgressBar*>()) {
            if (bar->maximum() == 0)
                return bar;
        }
        return nullptr;
    }();
    ASSERT_TRUE(indicator);

    // Until the staged list is read, nothing can be asked of it.
    EXPECT_TRUE(labelTexts(sheet).contains(TrashSheetController::loadingMessage));
    EXPECT_TRUE(indicator->isVisible());
    for (const QPushButton* action : actions)
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    ASSERT_TRUE(test::waitUntil([&] { return !controller->isBusy(); }));
    EXPECT_TRUE(labelTexts(sheet).contains(TrashSheetController::idleMessage));
    EXPECT_FALSE(indicator->isVisible());

    for (QPushButton* action : actions) {
        action->click();
        EXPECT_FALSE(controller->isRunning()) << action->text().toStdString();
        EXPECT_TRUE(labelTexts(sheet).contains(TrashSheetController::emptySelectionMessage)) << action->text().toStdString();
    }
    EXPECT_EQ(scene.stagedRows(), QStringList{staged});

    // Enter dismisses the sheet: it never opens the help nor starts a removal, wherever the focus is.
    int helpRequests = 0;
    QObject::connect(sheet, &TrashSheet::helpRequested, [&] { ++helpRequests; });
    auto* table = sheet->findChild<QTableView*>();
    table->selectRow(0);
    button(sheet, QStringLiteral("Help"))->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(table, &enter);
    ASSERT_TRUE(test::waitUntil([&] { return changed.has_value(); }));
    EXPECT_FALSE(*changed);
    EXPECT_EQ(helpRequests, 0);
    EXPECT_TRUE(QFileInfo(staged).isFile());
}

void clickRow(QTableView* table, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect cell = table->visualRect(table->model()->index(row, TrashSheetFilesModel::NameColumn));
    const QPointF global = table->viewport()->mapToGlobal(cell.center());
    QMouseEvent press(QEvent::MouseButtonPress, cell.center(), global, Qt::LeftButton, Qt::LeftButton, modifiers);
    QMouseEvent release(QEvent::MouseButtonRelease, cell.center(), global, Qt::LeftButton, Qt::NoButton, modifiers);
    QApplication::sendEvent(table->viewport(), &press);
    QApplication::sendEvent(table->viewport(), &release);
}

QList<int> shownRows(QTableView* table)
{
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST(TrashSheet, theSelectionMakesOneRoundTripBetweenListAndControllerAlsoDuringARun)
{
    test::RemovalScene scene;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
        scene.addFile(QString::fromLatin1(name));
    QWidget window;
    TrashSheet* sheet = openLoadedSheet(window, scene);
    ASSERT_TRUE(sheet);
    TrashSheetController* controller = sheet->controller();
    auto* table = sheet->findChild<QTableView*>();
    int viewChanges = 0;
    QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, [&] { ++viewChanges; });

    // The user's clicks reach the controller, and are not applied to the list a second time.
    clickRow(table, 1);
    clickRow(table, 3, Qt::ShiftModifier);
    EXPECT_EQ(controller->selectionIndexes(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(viewChanges, 2);

    // The controller's selection reaches the list as contiguous ranges.
    controller->setSelectionIndexes({0, 2, 3});
    EXPECT_EQ(shownRows(table), (QList<int>{0, 2, 3}));
    EXPECT_EQ(table->selectionModel()->selection().size(), 2);

    // A click during a run changes nothing; afterwards the file the Trash refused is still listed and selected.
    const QString refused = controller->deletedFiles().at(2)->name();
    std::atomic<bool> isReleased{false};
    controller->setFileSystem(test::desktopFileSystemAfter([&](const QString& path, Error*) {
        const QDeadlineTimer deadline(10000);
        while (!isReleased && !deadline.hasExpired())
            QThread::msleep(5);
        return path != refused;
    }));
    button(sheet, QStringLiteral("Delete"))->click();
    ASSERT_TRUE(controller->isRunning());
    clickRow(table, 4);
    EXPECT_EQ(controller->selectionIndexes(), (QList<int>{0, 2, 3}));
    isReleased = true;
    ASSERT_TRUE(test::waitUntil([&] { return !controller->isRunning(); }));
    ASSERT_EQ(table->model()->rowCount(), 3);
    const int refusedRow = static_cast<int>(controller->deletedFiles().indexOf(
        *std::find_if(controller->deletedFiles().cbegin(), controller->deletedFiles().cend(),
                      [&](const FileItemPtr& file) { return file->name() == refused; })));
    EXPECT_EQ(controller->selectionIndexes(), QList<int>{refusedRow});
    EXPECT_EQ(shownRows(table), QList<int>{refusedRow});
    sheet->reject();
}

} // namespace
} // namespace pairsift
