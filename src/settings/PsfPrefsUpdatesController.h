#pragma once

#include <QObject>

#include <memory>

namespace pairsift {

class PreferencesHost;
class SettingsObservation;

// The Updates pane without its widgets: the updater's settings, written at once and re-read whenever
// anything changes them, offered only when the build has an update feed. Main thread only.
class PsfPrefsUpdatesController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE setAutomaticallyChecksForUpdates NOTIFY settingsChanged)
    Q_PROPERTY(int updateCheckIntervalIndex READ updateCheckIntervalIndex WRITE setUpdateCheckIntervalIndex NOTIFY settingsChanged)

public:
    explicit PsfPrefsUpdatesController(const PreferencesHost& mainWindowController, QObject* parent = nullptr);
    ~PsfPrefsUpdatesController() override;

    // False: the pane says that updates are not available for this build.
    bool isUpdateAvailable() const;

    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool automaticallyChecks);
    // An index into UpdateCheckSettings::intervals(); an interval not offered there shows as the first.
    int updateCheckIntervalIndex() const;
    void setUpdateCheckIntervalIndex(int index);

Q_SIGNALS:
    void settingsChanged();

private:
    const PreferencesHost& m_mainWindowController;
    std::unique_ptr<SettingsObservation> m_observation;
};

} // namespace pairsift
