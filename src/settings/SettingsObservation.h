#pragma once

#include "platform/UserDefaults.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <vector>

namespace pairsift {

// Observes some keys of the standard settings store for as long as it lives and calls `changed` on
// `context`'s thread after any of them changed, whoever changed it. Nothing is called once it is gone;
// `context` must outlive it (usually it is the owner).
class SettingsObservation {
public:
    SettingsObservation(const QStringList& keys, QObject* context, std::function<void()> changed);
    ~SettingsObservation();

    SettingsObservation(const SettingsObservation&) = delete;
    SettingsObservation& operator=(const SettingsObservation&) = delete;

private:
    std::vector<UserDefaults::ObserverId> m_observers;
};

} // namespace pairsift
