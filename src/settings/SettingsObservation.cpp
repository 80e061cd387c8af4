#include "settings/SettingsObservation.h"

namespace pairsift {

SettingsObservation::SettingsObservation(const QStringList& keys, QObject* context, std::function<void()> changed)
{
    for (const QString& key : keys) {
        m_observers.push_back(UserDefaults::standard().addObserver(
            key, [context, changed](const QVariant&) {
                // Directly on the context's own thread, queued from any other one (and dropped if the
                // context is gone by then). The context owns this object, so it outlives every direct call.
                QMetaObject::invokeMethod(context, changed, Qt::AutoConnection);
            }));
    }
}

SettingsObservation::~SettingsObservation()
{
    for (const UserDefaults::ObserverId observer : m_observers)
        UserDefaults::standard().removeObserver(observer);
}

} // namespace pairsift
