#pragma once

#include "settings/Filter.h"

#include <QList>
#include <QString>

namespace pairsift {

// What the preferences window needs from the main window controller, which owns all of it and
// implements this (the signatures match its own accessors, so it only adds `override`). Main thread only.
class PreferencesHost {
public:
    virtual ~PreferencesHost() = default;

    // Full path of this launch's log file, set at start-up whether or not logging is on. Asked afresh
    // every time the General pane is wanted.
    virtual const QString& currentLogFilePath() const = 0;

    // The scan's ignore filters as the next scan uses them. The Filters pane replaces the list after
    // every edit; the owner writes it to the settings when its window closes.
    virtual const QList<Filter>& filters() const = 0;
    virtual void setFilters(QList<Filter> filters) = 0;

    // Whether this build has an update feed; without one the Updates pane says that updates are not
    // available and offers no options.
    virtual bool hasUpdateFeed() const = 0;
};

} // namespace pairsift
