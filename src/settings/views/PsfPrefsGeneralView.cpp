#include "settings/views/PsfPrefsGeneralView.h"

#include "settings/PsfPrefsGeneralController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace pairsift {

PsfPrefsGeneralView::PsfPrefsGeneralView(PsfPrefsGeneralController& controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_ignoreSmallFiles(new QCheckBox(tr("&Ignore files smaller than"), this))
    , m_smallFileSize(new QSpinBox(this))
    , m_smallFileSizeUnit(new QComboBox(this))
    , m_confirmDeleteLocation(new QCheckBox(tr("&Ask before removing a scan location"), this))
    , m_logging(new QCheckBox(tr("&Keep a log file"), this))
    , m_logFilePath(new QLineEdit(this))
{
    m_smallFileSize->setRange(1, std::numeric_limits<int>::max());
    // Only a finished entry is written, never the partial numbers typed on the way to it.
    m_smallFileSize->setKeyboardTracking(false);
    m_smallFileSize->setAccessibleName(tr("Smallest file size"));
    for (const HVRFileSizeUnit& unit : controller.fileSizeUnits())
        m_smallFileSizeUnit->addItem(unit.title());
    m_smallFileSizeUnit->setAccessibleName(tr("Size unit"));
    m_logFilePath->setReadOnly(true);
    m_logFilePath->setAccessibleName(tr("Log file"));
    auto* reveal = new QPushButton(tr("&Show in File Manager"), this);

    auto* threshold = new QHBoxLayout;
    threshold->addWidget(m_ignoreSmallFiles);
    threshold->addWidget(m_smallFileSize);
    threshold->addWidget(m_smallFileSizeUnit);
    threshold->addStretch();

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* logFile = new QGridLayout;
    auto* logFileLabel = new QLabel(tr("Log file:"), this);
    logFileLabel->setBuddy(m_logFilePath);
    logFile->addWidget(logFileLabel, 0, 0);
    logFile->addWidget(m_logFilePath, 0, 1);
    logFile->addWidget(reveal, 1, 1, Qt::AlignRight);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(threshold);
    layout->addWidget(m_confirmDeleteLocation);
    layout->addWidget(separator);
    layout->addWidget(m_logging);
    layout->addLayout(logFile);
    layout->addStretch();

    connect(m_ignoreSmallFiles, &QCheckBox::toggled, &controller, &PsfPrefsGeneralController::setIgnoreSmallFiles);
    connect(m_smallFileSize, &QSpinBox::valueChanged, &controller,
        [this](int value) { m_controller.setSmallFileSize(value); });
    connect(m_smallFileSizeUnit, &QComboBox::currentIndexChanged, &controller,
        &PsfPrefsGeneralController::setSmallFileSizeUnit);
    connect(m_confirmDeleteLocation, &QCheckBox::toggled, &controller,
        &PsfPrefsGeneralController::setConfirmDeleteLocation);
    connect(m_logging, &QCheckBox::toggled, &controller, &PsfPrefsGeneralController::setLogging);
    connect(reveal, &QPushButton::clicked, &controller, &PsfPrefsGeneralController::revealLogsInFinder);
    connect(&controller, &PsfPrefsGeneralController::settingsChanged, this, &PsfPrefsGeneralView::showSettings);
    connect(&controller, &PsfPrefsGeneralController::currentLogFilePathChanged, this,
        [this] { showLogFilePath(); });

    showLogFilePath();
    showSettings();
}

void PsfPrefsGeneralView::showLogFilePath()
{
    // The field shows the end of a long path, the file's own name; the tip shows all of it.
    m_logFilePath->setText(m_controller.currentLogFilePath());
    m_logFilePath->setToolTip(m_controller.currentLogFilePath());
}

void PsfPrefsGeneralView::showSettings()
{
    const QSignalBlocker blockers[] = {QSignalBlocker(m_ignoreSmallFiles), QSignalBlocker(m_smallFileSize),
        QSignalBlocker(m_smallFileSizeUnit), QSignalBlocker(m_confirmDeleteLocation), QSignalBlocker(m_logging)};
    m_ignoreSmallFiles->setChecked(m_controller.ignoreSmallFiles());
    // The value the scan uses; the range widens to show a stored negative value, which skips nothing.
    const int size = static_cast<int>(
        std::clamp<qint64>(m_controller.smallFileSize(), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    m_smallFileSize->setMinimum(std::min(size, 1));
    m_smallFileSize->setValue(size);
    m_smallFileSize->setEnabled(m_controller.ignoreSmallFiles());
    m_smallFileSizeUnit->setCurrentIndex(m_controller.smallFileSizeUnit());
    m_smallFileSizeUnit->setEnabled(m_controller.ignoreSmallFiles());
    m_confirmDeleteLocation->setChecked(m_controller.confirmDeleteLocation());
    m_logging->setChecked(m_controller.logging());
}

} // namespace pairsift
