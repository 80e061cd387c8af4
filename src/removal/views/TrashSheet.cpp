#include "removal/views/TrashSheet.h"

#include "platform/desktop/Trash.h"
#include "removal/TrashSheetController.h"
#include "removal/TrashSheetFilesModel.h"
#include "ui/AlertRunner.h"
#include "ui/ImageAndTextCell.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace pairsift {
namespace {

// The progress bar's steps: the controller's 0 to 100 in tenths.
constexpr int progressSteps = 1000;

} // namespace

TrashSheet* TrashSheet::openOver(QWidget* parent, std::shared_ptr<PairsiftDatabase> database, SOLoggerPtr logger,
    Completion completion, std::shared_ptr<PhotoLibraryHandlers> photoLibraryHandlers, IconAndKindCache* icons)
{
    auto* sheet = new TrashSheet(std::move(database), std::move(logger), parent);
    sheet->controller()->setIcons(icons);
    if (photoLibraryHandlers)
        sheet->controller()->setPhotoLibraryHandlers(std::move(photoLibraryHandlers));
    connect(sheet, &QDialog::finished, sheet, [sheet, completion = std::move(completion)] {
        const TrashSheetController* controller = sheet->controller();
        const bool hasChangedFiles = !controller->removedFiles().isEmpty() || !controller->restoredFiles().isEmpty();
        sheet->deleteLater();
        if (completion)
            completion(hasChangedFiles);
    });
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
    sheet->controller()->loadStagedFiles();
    return sheet;
}

TrashSheet::TrashSheet(std::shared_ptr<PairsiftDatabase> database, SOLoggerPtr logger, QWidget* parent)
    : QDialog(parent)
    , m_controller(new TrashSheetController(this))
{
    m_controller->setDatabase(std::move(database));
    m_controller->setLogger(std::move(logger));
    m_controller->setFileSystem(RemovalFileSystem::withTrash(moveToTrash));
    setWindowTitle(tr("Files Staged for Removal"));

    m_table = new QTableView(this);
    m_table->setModel(m_controller->filesModel());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setShowGrid(false);
    auto* names = new ImageAndTextCell(m_table);
    names->setElidesPaths(true);
    m_table->setItemDelegateForColumn(TrashSheetFilesModel::NameColumn, names);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(TrashSheetFilesModel::IconColumn, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(TrashSheetFilesModel::ErrorColumn, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_status = new QLabel(this);
    m_status->setWordWrap(true); // a run's report can be longer than the sheet is wide
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    buildPanels();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_status);
    layout->addWidget(line);
    layout->addWidget(m_panels);
    resize(640, 420);
    followController();
}

void TrashSheet::buildPanels()
{
    m_panels = new QStackedWidget(this);

    auto* idle = new QWidget(m_panels);
    m_helpButton = new QPushButton(tr("Help"), idle);
    m_putBackButton = new QPushButton(tr("Put Back"), idle);
    m_deleteAndLinkButton = new QPushButton(tr("Delete and Link"), idle);
    m_deleteButton = new QPushButton(tr("Delete"), idle);
    m_closeButton = new QPushButton(tr("Close"), idle);
    // Shown while the staged list loads.
    m_loadingIndicator = new QProgressBar(idle);
    m_loadingIndicator->setRange(0, 0);
    m_loadingIndicator->setTextVisible(false);
    m_loadingIndicator->setMaximumWidth(120);
    auto* idleLayout = new QHBoxLayout(idle);
    idleLayout->setContentsMargins(0, 0, 0, 0);
    idleLayout->addWidget(m_helpButton);
    idleLayout->addWidget(m_loadingIndicator);
    idleLayout->addStretch(1);
    for (QPushButton* button : {m_putBackButton, m_deleteAndLinkButton, m_deleteButton, m_closeButton})
        idleLayout->addWidget(button);

    auto* running = new QWidget(m_panels);
    m_progressBar = new QProgressBar(running);
    m_progressBar->setRange(0, progressSteps);
    m_progressBar->setTextVisible(false);
    m_stopButton = new QPushButton(tr("Stop"), running);
    auto* runningLayout = new QHBoxLayout(running);
    runningLayout->setContentsMargins(0, 0, 0, 0);
    runningLayout->addWidget(m_progressBar, 1);
    runningLayout->addWidget(m_stopButton);

    m_panels->addWidget(idle);
    m_panels->addWidget(running);

    // Enter dismisses the sheet: only Close is a default button, and focus never makes another one.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    m_closeButton->setDefault(true);
}

void TrashSheet::followController()
{
    TrashSheetController* controller = m_controller;
    connect(m_deleteButton, &QPushButton::clicked, controller, &TrashSheetController::deletePermanently);
    connect(m_deleteAndLinkButton, &QPushButton::clicked, controller, &TrashSheetController::deleteAndLink);
    connect(m_putBackButton, &QPushButton::clicked, controller, &TrashSheetController::putBack);
    connect(m_stopButton, &QPushButton::clicked, controller, &TrashSheetController::stopDeleting);
    connect(m_closeButton, &QPushButton::clicked, controller, &TrashSheetController::close);
    connect(m_helpButton, &QPushButton::clicked, controller, &TrashSheetController::showHelp);
    connect(controller, &TrashSheetController::helpRequested, this, &TrashSheet::helpRequested);
    connect(controller, &TrashSheetController::closeRequested, this, [this] { QDialog::reject(); });
    connect(controller, &TrashSheetController::permanentDeletionRequested, this, &TrashSheet::askForPermanentDeletion);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TrashSheet::sendSelectionToController);
    connect(controller, &TrashSheetController::selectionChanged, this, &TrashSheet::showSelectionFromController);

    const auto refresh = [this, controller] {
        const bool isBusy = controller->isBusy();
        const bool isRunning = controller->isRunning();
        m_status->setText(controller->message());
        m_panels->setCurrentIndex(isRunning ? 1 : 0);
        m_table->setEnabled(!isBusy);
        m_loadingIndicator->setVisible(isBusy && !isRunning);
        m_deleteButton->setEnabled(controller->canDelete() && !isBusy);
        m_deleteAndLinkButton->setEnabled(controller->canDeleteAndLink() && !isBusy);
        m_putBackButton->setEnabled(!isBusy);
        m_closeButton->setEnabled(!isRunning);
        m_stopButton->setEnabled(controller->canStop());
        m_progressBar->setValue(static_cast<int>(controller->progress() * progressSteps / 100.0));
    };
    for (auto signal : {&TrashSheetController::busyChanged, &TrashSheetController::runningChanged,
             &TrashSheetController::canStopChanged, &TrashSheetController::selectionChanged,
             &TrashSheetController::messageChanged, &TrashSheetController::progressChanged})
        connect(controller, signal, this, refresh);
    refresh();
}

void TrashSheet::askForPermanentDeletion(quint64 count)
{
    const AlertText text{TrashSheetController::permanentDeletionQuestion(count),
        TrashSheetController::permanentDeletionWarning(count),
        {QStringLiteral("Delete Permanently"), QStringLiteral("Cancel")}};
    QMessageBox* alert = AlertRunner::beginSheet(text, this, [controller = m_controller](QMessageBox&, AlertResult result) {
        controller->answerPermanentDeletion(result == AlertResult::FirstButton);
    });
    // Enter alone never deletes for good: it answers Cancel, as Esc does.
    alert->setDefaultButton(qobject_cast<QPushButton*>(alert->escapeButton()));
}

QList<int> TrashSheet::selectedRows() const
{
    // Whole rows are selected, so each range's rows are selected rows; walking the ranges is linear, where
    // asking row by row costs rows × ranges.
    QList<int> rows;
    for (const QItemSelectionRange& range : m_table->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TrashSheet::sendSelectionToController()
{
    if (!m_isApplyingSelection)
        m_controller->setSelectionIndexes(selectedRows());
}

void TrashSheet::showSelectionFromController()
{
    const QList<int>& rows = m_controller->selectionIndexes();
    if (rows == selectedRows())
        return;
    QItemSelection selection;
    const QAbstractItemModel* model = m_table->model();
    const int lastColumn = model->columnCount() - 1;
    for (qsizetype start = 0; start < rows.size();) {
        qsizetype end = start;
        while (end + 1 < rows.size() && rows.at(end + 1) == rows.at(end) + 1)
            ++end;
        selection.append(QItemSelectionRange(model->index(rows.at(start), 0), model->index(rows.at(end), lastColumn)));
        start = end + 1;
    }
    m_isApplyingSelection = true;
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_isApplyingSelection = false;
}

// Esc and the window's close button end here.
void TrashSheet::reject()
{
    m_controller->close(); // refused while a run is in progress
}

} // namespace pairsift
