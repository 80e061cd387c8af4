// Marking, staging, the Delete command, the removal sheet hand-off, and the help, support and preferences
// commands.
#include "app/MainWindowController.h"

#include "app/ApplicationInfo.h"
#include "app/MainWindow.h"
#include "locations/ScanLocationTableViewController.h"
#include "locations/views/ScanLocationTableView.h"
#include "model/Session.h"
#include "platform/Format.h"
#include "removal/TrashSheetController.h"
#include "removal/views/TrashSheet.h"
#include "results/ResultsController.h"
#include "results/ResultsListModel.h"
#include "settings/views/PreferencesPanelController.h"
#include "support/foundation/ApplicationFolders.h"
#include "support/foundation/PSWindowDidBecomeMainNotification.h"
#include "support/logging/SOLogger.h"
#include "ui/FailureAlert.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSysInfo>

namespace pairsift {

namespace {

const char* const supportAddress = "pairsift-support@lanternforges.com";
const char* const helpResource = ":/help/index.html";

} // namespace

void MainWindowController::selectDuplicates()
{
    m_session->markDuplicateFiles();
    resultsController().model()->marksDidChange();
}

void MainWindowController::selectNone()
{
    m_session->unmarkAllFiles();
    resultsController().model()->marksDidChange();
}

void MainWindowController::markUnmarkFile()
{
    const ResultsController::Item item = resultsController().selectedItem();
    if (item.file && item.group)
        item.group->markFile(item.file, !item.file->markedForRemoval());
    else if (item.group)
        item.group->markAllFiles(item.group->markedCount() < item.group->count());
    else
        return;
    resultsController().model()->marksDidChange();
}

void MainWindowController::removeAllMarkedFiles()
{
    if (!areStoreCommandsEnabled())
        return;
    setBusyState(true, QStringLiteral("Staging files for removal..."));
    auto plan = std::make_shared<const Session::StagingPlan>(m_session->planStaging());
    runOnStoreQueue([plan, logger = m_logger](PairsiftDatabase& db) { return Session::stageRows(db, plan->files, logger); },
                    [this, plan](bool isStaged) {
                        if (isStaged)
                            m_session->didStage(*plan);
                        // Whatever happened, the list shows what the store holds.
                        loadFilesFromDatabase();
                        Q_EMIT storeWorkFinished();
                        if (!isStaged) {
                            alertFailure(m_window.get(), QStringLiteral("Unable to stage files for removal."),
                                         QStringLiteral("Nothing was staged. The log tells why."));
                            return;
                        }
                        selectAfterReload(true, [this, group = plan->nextGroup] {
                            if (group)
                                resultsController().selectGroup(group);
                        });
                    });
}

void MainWindowController::deleteAction()
{
    if (qobject_cast<ScanLocationTableView*>(QApplication::focusWidget()))
        removeSelectedLocations();
    else
        deleteSelectedItem();
}

void MainWindowController::deleteSelectedItem()
{
    if (!areStoreCommandsEnabled())
        return;
    const ResultsController::Item item = resultsController().selectedItem();
    if (!item.group)
        return;
    FileGroupPtr nextGroup = m_session->selectedGroupAfterRemovingGroup(item.group);
    std::optional<qsizetype> nextIndex;
    bool staged = false;
    if (item.file) {
        if (item.group->count() >= 3) {
            nextGroup = item.group;
            nextIndex = item.group->selectedFileIndexAfterRemovingFile(item.file);
        }
        item.group->recordKeptCopy({item.file});
        staged = m_session->removeFile(item.file);
    } else {
        item.group->recordKeptCopy(item.group->tail());
        staged = m_session->removeGroup(item.group);
    }
    if (staged)
        loadFilesFromDatabase();
    selectAfterReload(staged, [this, nextGroup, nextIndex] {
        if (!nextGroup)
            return;
        if (nextIndex)
            resultsController().selectItemInGroup(nextGroup, *nextIndex);
        else
            resultsController().selectGroup(nextGroup);
    });
}

void MainWindowController::selectAfterReload(bool reloaded, std::function<void()> select)
{
    if (reloaded)
        connect(this, &MainWindowController::resultsLoaded, this, std::move(select), Qt::SingleShotConnection);
    else
        select();
}

QString MainWindowController::trashIconName() const
{
    return m_numOfTrashFiles > 0 ? QStringLiteral("TinyTrashcanFullTemplate") : QStringLiteral("TinyTrashTemplate");
}

void MainWindowController::displayTrashSheet()
{
    if (!areStoreCommandsEnabled() || m_trashSheet || !m_window)
        return;
    pruneFilesOutsideScanLocations([this] { openTrashSheet(); });
}

void MainWindowController::openTrashSheet()
{
    // The window may have closed while the store was pruned.
    if (!m_window->isVisible())
        return;
    m_trashSheet = TrashSheet::openOver(m_window.get(), m_db, m_logger,
                                        [this](bool hasChangedFiles) { trashSheetDidEnd(hasChangedFiles); }, {},
                                        &resultsController().icons());
    TrashSheetController* sheetController = m_trashSheet->controller();
    PSWindowDidBecomeMainNotification::addObserver(sheetController, [sheetController](const Notification&) {
        sheetController->pairsiftWindowDidBecomeMainNotification();
    });
    // However the sheet goes (also with the window), its registration goes with it.
    connect(sheetController, &QObject::destroyed, this,
            [sheetController] { PSWindowDidBecomeMainNotification::removeObserver(sheetController); });
    connect(m_trashSheet, &TrashSheet::helpRequested, this, &MainWindowController::showHelpAnchor);
}

void MainWindowController::trashSheetDidEnd(bool hasChangedFiles)
{
    m_trashSheet = nullptr;
    // Also a refresh asked for while the store was pruned for the sheet: it waited for the sheet.
    m_isUpdatePending = m_isUpdatePending || hasChangedFiles;
    runPendingUpdate();
}

void MainWindowController::showHelp()
{
    showHelpAnchor(QStringLiteral("access"));
}

void MainWindowController::showHelpAnchor(const QString& anchor)
{
    const QUrl url = helpURL(anchor);
    if (!url.isEmpty() && QDesktopServices::openUrl(url))
        return;
    logError(m_logger, "Unable to open help at anchor '%@'", anchor);
    alertFailure(m_window.get(), tr("The help could not be opened."),
                     url.isEmpty() ? tr("Its pages could not be written beside the program's data.")
                                   : tr("No web browser opened “%1”.").arg(url.toLocalFile()));
}

QUrl MainWindowController::helpURL(const QString& anchor)
{
    // A browser cannot read the program's resources, so the book is written out beside the store.
    QFile resource(QString::fromLatin1(helpResource));
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    const QByteArray book = resource.readAll();
    const QString folder = applicationSupportDirectory();
    if (folder.isEmpty())
        return {};
    const QString path = QDir(folder).filePath(QStringLiteral("Help/index.html"));
    QFile current(path);
    if (!current.open(QIODevice::ReadOnly) || current.readAll() != book) {
        QSaveFile out(path);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !out.open(QIODevice::WriteOnly) || out.write(book) != book.size()
            || !out.commit())
            return {};
    }
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(anchor);
    return url;
}

void MainWindowController::contactSupport()
{
    if (QDesktopServices::openUrl(supportMailURL(ApplicationInfo::version(), ApplicationInfo::buildVersion(),
                                                 QSysInfo::prettyProductName())))
        return;
    alertFailure(m_window.get(), tr("The support mail could not be opened."),
                     tr("No mail program answered. You can write to %1.").arg(QString::fromLatin1(supportAddress)));
}

QUrl MainWindowController::supportMailURL(const QString& version, const QString& build, const QString& osVersion)
{
    const QString body = formatString("\n\n-- \nPairsift version: %@ (%@)\nOS version: %@", version, build, osVersion);
    // Everything but the unreserved characters is escaped, so '&', '#' and '=' stay inside their field.
    const QByteArray link = "mailto:" + QByteArray(supportAddress) + "?subject="
        + QUrl::toPercentEncoding(QStringLiteral("Pairsift feedback")) + "&body=" + QUrl::toPercentEncoding(body);
    return QUrl::fromEncoded(link, QUrl::StrictMode);
}

void MainWindowController::showPreferencesPanel()
{
    if (!m_preferences)
        m_preferences = std::make_unique<PreferencesPanelController>(*this);
    m_preferences->setMainWindow(m_window.get());
    m_preferences->showWindow();
}

bool MainWindowController::hasUpdateFeed() const
{
    return !ApplicationInfo::updateFeedURL().isEmpty();
}

} // namespace pairsift
