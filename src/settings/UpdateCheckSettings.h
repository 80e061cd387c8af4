#pragma once

#include <QList>
#include <QString>

namespace pairsift {

// The updater's own settings, kept in the settings store so that the Updates pane and the updater
// read the same values: whether it checks the feed by itself, and how often. Main thread only.
class UpdateCheckSettings {
public:
    UpdateCheckSettings() = delete;

    struct Interval {
        QString title;
        qint64 seconds;
    };
    // Once a day, a week, a month, in the order the pane offers them.
    static const QList<Interval>& intervals();

    // "automatically_check_for_updates"; off when unset.
    static bool automaticallyChecksForUpdates();
    static void setAutomaticallyChecksForUpdates(bool automaticallyChecks);
    // "update_check_interval" in seconds; a day when unset or not positive.
    static qint64 updateCheckInterval();
    static void setUpdateCheckInterval(qint64 seconds);
};

} // namespace pairsift
