#include "settings/views/PsfPrefsUpdatesView.h"

#include "settings/PsfPrefsUpdatesController.h"
#include "settings/UpdateCheckSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace pairsift {

PsfPrefsUpdatesView::PsfPrefsUpdatesView(PsfPrefsUpdatesController& controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
{
    auto* layout = new QVBoxLayout(this);
    if (!controller.isUpdateAvailable()) {
        auto* notice = new QLabel(notAvailableText(), this);
        notice->setObjectName(QStringLiteral("notAvailable"));
        notice->setWordWrap(true);
        notice->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        layout->addWidget(notice);
        layout->addStretch();
        return;
    }
    m_automaticChecks = new QCheckBox(tr("&Automatically check for updates"), this);
    m_interval = new QComboBox(this);
    for (const UpdateCheckSettings::Interval& interval : UpdateCheckSettings::intervals())
        m_interval->addItem(interval.title);
    auto* intervalLabel = new QLabel(tr("&Check:"), this);
    intervalLabel->setBuddy(m_interval);

    auto* interval = new QHBoxLayout;
    interval->addSpacing(20);
    interval->addWidget(intervalLabel);
    interval->addWidget(m_interval);
    interval->addStretch();
    layout->addWidget(m_automaticChecks);
    layout->addLayout(interval);
    layout->addStretch();

    connect(m_automaticChecks, &QCheckBox::toggled, &controller,
        &PsfPrefsUpdatesController::setAutomaticallyChecksForUpdates);
    connect(m_interval, &QComboBox::currentIndexChanged, &controller,
        &PsfPrefsUpdatesController::setUpdateCheckIntervalIndex);
    connect(&controller, &PsfPrefsUpdatesController::settingsChanged, this, &PsfPrefsUpdatesView::showSettings);
    showSettings();
}

QString PsfPrefsUpdatesView::notAvailableText()
{
    return tr("Updates are not available for this build of Pairsift. "
              "New versions come with your system's packages or from where you got Pairsift.");
}

void PsfPrefsUpdatesView::showSettings()
{
    const QSignalBlocker automaticChecks(m_automaticChecks);
    const QSignalBlocker interval(m_interval);
    m_automaticChecks->setChecked(m_controller.automaticallyChecksForUpdates());
    m_interval->setCurrentIndex(m_controller.updateCheckIntervalIndex());
    m_interval->setEnabled(m_controller.automaticallyChecksForUpdates());
}

} // namespace pairsift
