#include "settings/UpdateCheckSettings.h"

#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"

#include <QCoreApplication>

namespace pairsift {

namespace {

constexpr qint64 secondsPerDay = 24 * 60 * 60;

} // namespace

const QList<UpdateCheckSettings::Interval>& UpdateCheckSettings::intervals()
{
    static const QList<Interval> intervals{
        {QCoreApplication::translate("UpdateCheckSettings", "Daily"), secondsPerDay},
        {QCoreApplication::translate("UpdateCheckSettings", "Weekly"), 7 * secondsPerDay},
        {QCoreApplication::translate("UpdateCheckSettings", "Monthly"), 30 * secondsPerDay},
    };
    return intervals;
}

bool UpdateCheckSettings::automaticallyChecksForUpdates()
{
    return UserDefaults::standard().boolValue(SettingsKey::AutomaticallyCheckForUpdates);
}

void UpdateCheckSettings::setAutomaticallyChecksForUpdates(bool automaticallyChecks)
{
    UserDefaults::standard().setValue(SettingsKey::AutomaticallyCheckForUpdates, automaticallyChecks);
}

qint64 UpdateCheckSettings::updateCheckInterval()
{
    const qint64 seconds = UserDefaults::standard().integerValue(SettingsKey::UpdateCheckInterval);
    return seconds > 0 ? seconds : secondsPerDay;
}

void UpdateCheckSettings::setUpdateCheckInterval(qint64 seconds)
{
    UserDefaults::standard().setValue(SettingsKey::UpdateCheckInterval, seconds);
}

} // namespace pairsift
