// The removal sheet's window offscreen over a temporary store: window-modal, the buttons follow the
// controller, and the completion tells whether files changed.
#include "removal/views/TrashSheet.h"

#include "RemovalTestSupport.h"
#include "photolibs/ContainerType.h"
#include "removal/TrashSheetController.h"
#include "store/PairsiftDatabase.h"
#include "testkit/TemporaryTree.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTableView>
#include <QThread>

#include <gtest/gtest.h>

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

} // namespace
} // namespace pairsift
