#include "settings/PsfPrefsUpdatesController.h"

#include "settings/PreferencesHost.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsObservation.h"
#include "settings/UpdateCheckSettings.h"

namespace pairsift {

PsfPrefsUpdatesController::PsfPrefsUpdatesController(const PreferencesHost& mainWindowController, QObject* parent)
    : QObject(parent)
    , m_mainWindowController(mainWindowController)
    , m_observation(std::make_unique<SettingsObservation>(
          QStringList{SettingsKey::AutomaticallyCheckForUpdates, SettingsKey::UpdateCheckInterval}, this,
          [this] { Q_EMIT settingsChanged(); }))
{
}

PsfPrefsUpdatesController::~PsfPrefsUpdatesController() = default;

bool PsfPrefsUpdatesController::isUpdateAvailable() const
{
    return m_mainWindowController.hasUpdateFeed();
}

bool PsfPrefsUpdatesController::automaticallyChecksForUpdates() const
{
    return UpdateCheckSettings::automaticallyChecksForUpdates();
}

void PsfPrefsUpdatesController::setAutomaticallyChecksForUpdates(bool automaticallyChecks)
{
    UpdateCheckSettings::setAutomaticallyChecksForUpdates(automaticallyChecks);
}

int PsfPrefsUpdatesController::updateCheckIntervalIndex() const
{
    const qint64 seconds = UpdateCheckSettings::updateCheckInterval();
    const QList<UpdateCheckSettings::Interval>& intervals = UpdateCheckSettings::intervals();
    for (int index = 0; index < intervals.size(); ++index) {
        if (intervals.at(index).seconds == seconds)
            return index;
    }
    return 0;
}

void PsfPrefsUpdatesController::setUpdateCheckIntervalIndex(int index)
{
    const QList<UpdateCheckSettings::Interval>& intervals = UpdateCheckSettings::intervals();
    if (index >= 0 && index < intervals.size())
        UpdateCheckSettings::setUpdateCheckInterval(intervals.at(index).seconds);
}

} // namespace pairsift
