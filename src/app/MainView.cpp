#include "app/MainView.h"

#include "app/MainWindowController.h"
#include "locations/ScanLocationTableViewController.h"
#include "locations/views/AddLocationMenu.h"
#include "locations/views/ScanLocationTableView.h"
#include "results/ResultsController.h"
#include "results/views/ResultsView.h"
#include "results/ResultsImages.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace pairsift {

MainView::MainView(MainWindowController& controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
{
    m_results = new ResultsView(m_controller.resultsController());
    auto* resultsPane = new QWidget;
    auto* resultsLayout = new QVBoxLayout(resultsPane);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    auto* resultsTitle = new QLabel(tr("Duplicate files"));
    resultsTitle->setBuddy(m_results->dupView());
    resultsLayout->addWidget(resultsTitle);
    resultsLayout->addWidget(m_results, 1);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(makeLocationsPane());
    splitter->addWidget(resultsPane);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({170, 430});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(makeStatusLine());

    connect(&m_controller, &MainWindowController::wastedInfoTextChanged, this, &MainView::showTexts);
    connect(&m_controller, &MainWindowController::scanNoteTextChanged, this, &MainView::showTexts);
    connect(&m_controller.resultsController(), &ResultsController::markingStatusChanged, this, &MainView::showTexts);
    connect(&m_controller, &MainWindowController::trashInfoChanged, this, &MainView::showTexts);
    connect(&m_controller, &MainWindowController::busyChanged, this, &MainView::showBusyState);
    connect(&m_controller, &MainWindowController::commandStateChanged, this, &MainView::updateButtons);
    connect(m_controller.scanLocationTableViewController().selectionModel(), &QItemSelectionModel::selectionChanged,
            this, &MainView::updateButtons);
    showTexts();
    showBusyState();
    updateButtons();
}

QWidget* MainView::makeLocationsPane()
{
    ScanLocationTableViewController& locations = m_controller.scanLocationTableViewController();
    m_locationsTable = new ScanLocationTableView(&locations);
    m_locationsTable->setToolTip(tr("Folders to search for duplicate files. The order decides which copy is "
                                    "kept: files in folders higher up the list are kept first. Drag folders "
                                    "here to add them, or drag rows to reorder them."));

    m_addMenu = new AddLocationMenu(locations, m_controller.scanLocationAddController(), this);
    m_addButton = new QToolButton;
    m_addButton->setText(tr("Add"));
    m_addButton->setToolTip(tr("Add a folder to search"));
    m_addButton->setMenu(m_addMenu);
    m_addButton->setPopupMode(QToolButton::MenuButtonPopup);
    m_addButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_addButton->setMinimumWidth(72);
    connect(m_addButton, &QToolButton::clicked, m_addMenu->addFolderAction(), &QAction::trigger);

    m_removeButton = new QPushButton(tr("Remove"));
    m_removeButton->setToolTip(tr("Forget the selected locations (no file is touched)"));
    connect(m_removeButton, &QPushButton::clicked, &m_controller, &MainWindowController::removeSelectedLocations);

    m_scanButton = new QPushButton(tr("Scan"));
    m_scanButton->setDefault(true);
    m_scanButton->setToolTip(tr("Search the locations for duplicate files (Ctrl+R)"));
    connect(m_scanButton, &QPushButton::clicked, &m_controller, &MainWindowController::startScan);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_removeButton);
    buttons->addStretch();
    buttons->addWidget(m_scanButton);

    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(tr("Locations to scan"));
    title->setBuddy(m_locationsTable);
    layout->addWidget(title);
    layout->addWidget(m_locationsTable, 1);
    layout->addLayout(buttons);
    m_locationsTable->setMinimumHeight(90);
    return pane;
}

QWidget* MainView::makeStatusLine()
{
    m_wastedInfoLabel = new QLabel;
    m_scanNoteLabel = new QLabel;
    m_scanNoteLabel->setToolTip(tr("The folders are named in the log file, which is kept while “Keep a log file” is on "
                                   "in Preferences."));
    m_selectionInfoLabel = new QLabel;
    m_trashInfoLabel = new QLabel;
    // The staged files' bin opens the removal sheet.
    m_trashButton = new QToolButton;
    m_trashButton->setAutoRaise(true);
    m_trashButton->setToolTip(tr("Remove Staged Files…"));
    connect(m_trashButton, &QToolButton::clicked, &m_controller, &MainWindowController::displayTrashSheet);
    m_busyProgressIndicator = new QProgressBar;
    m_busyProgressIndicator->setRange(0, 0);
    m_busyProgressIndicator->setTextVisible(false);
    m_busyProgressIndicator->setFixedSize(80, 12);
    m_busyMessageLabel = new QLabel;

    auto* line = new QWidget;
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(18);
    layout->addWidget(m_wastedInfoLabel);
    layout->addWidget(m_scanNoteLabel);
    layout->addWidget(m_selectionInfoLabel);
    auto* trash = new QHBoxLayout;
    trash->setSpacing(2);
    trash->addWidget(m_trashButton);
    trash->addWidget(m_trashInfoLabel);
    layout->addLayout(trash);
    layout->addStretch();
    layout->addWidget(m_busyMessageLabel);
    layout->addWidget(m_busyProgressIndicator);
    return line;
}

void MainView::showTexts()
{
    m_wastedInfoLabel->setText(m_controller.wastedInfoText());
    m_scanNoteLabel->setText(m_controller.scanNoteText());
    m_scanNoteLabel->setToolTip(m_controller.scanNoteToolTip());
    m_scanNoteLabel->setVisible(!m_controller.scanNoteText().isEmpty());
    // After a failure the status line says only that, and after a stop "No duplicate files." would claim a
    // result.
    const bool isSelectionInfoHidden =
        m_controller.hasScanFailed() || (m_controller.hasScanStopped() && !m_controller.isNonEmpty());
    m_selectionInfoLabel->setText(isSelectionInfoHidden ? QString() : m_controller.resultsController().selectionInfoText());
    m_trashInfoLabel->setText(m_controller.trashInfo());
    m_trashButton->setIcon(QIcon(QPixmap::fromImage(namedImage(m_controller.trashIconName()))));
}

void MainView::showBusyState()
{
    const bool busy = m_controller.isBusy();
    m_busyProgressIndicator->setVisible(busy);
    m_busyMessageLabel->setVisible(busy);
    m_busyMessageLabel->setText(m_controller.busyMessage());
}

void MainView::updateButtons()
{
    m_scanButton->setEnabled(m_controller.canStartScan());
    m_removeButton->setEnabled(m_controller.areStoreCommandsEnabled()
                               && m_controller.scanLocationTableViewController().selectionCount() > 0);
    m_addButton->setEnabled(!m_controller.isScanning());
    m_trashButton->setEnabled(m_controller.areStoreCommandsEnabled());
}

} // namespace pairsift
