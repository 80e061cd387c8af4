// results-bench: how long the main thread is busy with the results list at scale, and what the list costs in
// memory beyond the session. Builds a store of GROUPS groups of three identical files (100,000 by default)
// in a temporary folder, then times, each including the event processing until the window is idle again:
// loading the results into the list (store, session, model and view), the main thread's part of the
// window's load (the rows read elsewhere, then handed over), a header click that re-sorts,
// expanding all groups, a header click with every group expanded, one check-box click, and with every group
// expanded: Select All, a Ctrl+click, a Shift+click, Select All again, collapsing and expanding all groups
// (the selection and its details follow), a reload and closing the list.
//
//   QT_QPA_PLATFORM=offscreen results-bench [GROUPS [GRAB.png]]
//
// With GRAB.png the list is saved as a picture after Select All (grabbing stalls: not a measurement run).
//
// Standard output: one line per measure.

#include "model/Session.h"
#include "platform/UserDefaults.h"
#include "results/ResultsController.h"
#include "results/ResultsListModel.h"
#include "results/views/ResultsView.h"
#include "store/PairsiftDatabase.h"

#include <QApplication>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <functional>

using namespace pairsift;

namespace {

constexpr int FilesPerGroup = 3;

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

// Milliseconds of `work` plus the events it left behind (layout and painting of a shown window).
double busyMilliseconds(QWidget& window, const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::processEvents();
    window.repaint();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void fillStore(PairsiftDatabase& store, int groups)
{
    const QDateTime first(QDate(2021, 3, 1), QTime(9, 0), Qt::UTC);
    store.beginTransaction();
    for (int group = 0; group < groups; ++group) {
        QByteArray digest(20, '\0');
        for (int byte = 0; byte < 4; ++byte)
            digest[byte] = static_cast<char>((group >> (8 * byte)) & 0xFF);
        for (int copy = 0; copy < FilesPerGroup; ++copy) {
            const QString path = QStringLiteral("/home/user/Pictures/%1/folder %2/photo %3.jpg")
                                     .arg(copy ? QStringLiteral("Copies %1").arg(copy) : QStringLiteral("Library"))
                                     .arg(group % 997)
                                     .arg(group);
            store.addFile(path, 1000 + static_cast<quint64>(group) * 7, first.addSecs(group * 60 + copy),
                          QStringLiteral("directory"), QStringLiteral("/home/user/Pictures"));
            store.updateFile(path, digest);
        }
    }
    store.commit();
}

void clickRow(QTreeView& view, const QModelIndex& row, Qt::KeyboardModifiers modifiers)
{
    const QPoint point = view.visualRect(row.siblingAtColumn(ResultsListModel::FileSizeColumn)).center();
    const QPointF global = view.viewport()->mapToGlobal(point);
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton, modifiers);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton, modifiers);
    QCoreApplication::sendEvent(view.viewport(), &press);
    QCoreApplication::sendEvent(view.viewport(), &release);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int groups = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 100000;
    QTemporaryDir folder;
    UserDefaults::setConfigurationFolder(folder.filePath(QStringLiteral("config")));
    std::shared_ptr<PairsiftDatabase> store =
        PairsiftDatabase::databaseWithPath(folder.filePath(QStringLiteral("PairsiftData.db3")));
    fillStore(*store, groups);

    // The session alone, for the memory it takes by itself, and the files the store really holds.
    std::size_t sessionBytes = 0;
    double files = 0;
    {
        const std::size_t before = heapInUse();
        Session alone(store, nullptr);
        alone.loadFilesFromDatabase();
        alone.sortGroupsUsingDescriptor({QStringLiteral("total"), false});
        sessionBytes = heapInUse() - before;
        files = static_cast<double>(alone.fileCount());
    }

    Session session(store, nullptr);
    auto owned = std::make_unique<ResultsController>(session);
    ResultsController& controller = *owned;
    auto* viewPointer = new ResultsView(controller);
    ResultsView& view = *viewPointer;
    view.resize(1100, 700);
    view.show();
    QCoreApplication::processEvents();
    const std::size_t emptyHeap = heapInUse();

    QElapsedTimer storeTimer;
    storeTimer.start();
    session.loadFilesFromDatabase();
    const double storeMs = static_cast<double>(storeTimer.nsecsElapsed()) / 1e6;
    // The window's way: the store is read (and each group's files ordered) on the loader's queue, and the
    // main thread only fills the session, sorts the groups and shows them.
    double handOffMs = 0;
    {
        Session::LoadedFiles loaded = Session::groupLoadedFiles(Session::readFilesWithDigest(*store));
        handOffMs = busyMilliseconds(view, [&] { controller.displayLoadedFiles(std::move(loaded)); });
    }
    const double loadMs = busyMilliseconds(view, [&] { controller.loadFilesFromDatabase(); });
    QElapsedTimer groupSortTimer;
    groupSortTimer.start();
    session.sortGroupsUsingDescriptor({QStringLiteral("name"), true});
    const double groupSortMs = static_cast<double>(groupSortTimer.nsecsElapsed()) / 1e6;
    const double sortMs = busyMilliseconds(view, [&] {
        view.dupView()->header()->setSortIndicator(ResultsListModel::NameColumn, Qt::AscendingOrder);
    });
    const double expandMs = busyMilliseconds(view, [&] { view.expandAll(); });
    const std::size_t loadedHeap = heapInUse();
    const double sortExpandedMs = busyMilliseconds(view, [&] {
        view.dupView()->header()->setSortIndicator(ResultsListModel::TotalSizeColumn, Qt::DescendingOrder);
    });
    const QModelIndex box = controller.model()->index(1, ResultsListModel::MarkedForRemovalColumn,
                                                      controller.model()->index(0, 0));
    const double clickMs = busyMilliseconds(view, [&] {
        controller.model()->setData(box, static_cast<int>(Qt::Checked), Qt::CheckStateRole);
    });
    // Read now: the controller is gone by the time the figures are printed.
    const QString clickStatus = controller.selectionInfoText();

    QTreeView& tree = *view.dupView();
    const double selectAllMs = busyMilliseconds(view, [&] { tree.selectAll(); });
    if (argc > 2)
        view.grab().save(QString::fromLocal8Bit(argv[2]));
    const QModelIndex current = tree.currentIndex().isValid() ? tree.currentIndex() : controller.model()->index(0, 0);
    const double ctrlClickMs = busyMilliseconds(view, [&] {
        clickRow(tree, current, Qt::ControlModifier);
        controller.selectedItem();
    });
    const double shiftClickMs = busyMilliseconds(view, [&] {
        clickRow(tree, tree.indexBelow(tree.indexBelow(current)), Qt::ShiftModifier);
    });
    busyMilliseconds(view, [&] { tree.selectAll(); });
    const double collapseSelectedMs = busyMilliseconds(view, [&] { view.collapseAll(); });
    const double expandSelectedMs = busyMilliseconds(view, [&] { view.expandAll(); });
    const double reloadSelectedMs = busyMilliseconds(view, [&] { controller.sortAndDisplayFiles(); });
    busyMilliseconds(view, [&] { tree.selectAll(); });
    QElapsedTimer closeTimer;
    closeTimer.start();
    delete viewPointer;
    owned.reset();
    QCoreApplication::processEvents();
    const double closeMs = static_cast<double>(closeTimer.nsecsElapsed()) / 1e6;

    const double listBytes = static_cast<double>(loadedHeap - emptyHeap) - static_cast<double>(sessionBytes);
    std::printf("groups %d, files %.0f\n", groups, files);
    std::printf("load (store read alone: %.0f ms), store to shown list: %.0f ms\n", storeMs, loadMs);
    std::printf("loader hand-off (main thread part of the window's load): %.0f ms\n", handOffMs);
    std::printf("header click re-sort: %.0f ms (the session's group sort alone: %.0f ms)\n", sortMs, groupSortMs);
    std::printf("expand all: %.0f ms\n", expandMs);
    std::printf("header click re-sort, all expanded: %.0f ms\n", sortExpandedMs);
    std::printf("check-box click: %.1f ms (status: %s)\n", clickMs, qPrintable(clickStatus));
    std::printf("all expanded: Select All %.1f ms, Ctrl+click %.1f ms, Shift+click %.1f ms\n", selectAllMs, ctrlClickMs,
                shiftClickMs);
    std::printf("everything selected: collapse all %.1f ms, expand all %.1f ms\n", collapseSelectedMs, expandSelectedMs);
    std::printf("all expanded, everything selected: reload %.1f ms, closing the list %.1f ms\n", reloadSelectedMs, closeMs);
    std::printf("session: %.0f bytes per file; list beyond the session, all expanded: %.0f bytes per file\n",
                static_cast<double>(sessionBytes) / files, listBytes / files);
    return 0;
}
