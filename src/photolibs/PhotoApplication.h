#pragma once

#include "platform/ScriptableApplication.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace pairsift {

class SBApplicationDelegate;

// What the two photo-application drivers share: how the application is found, where its preferences
// keep the current library, how it is quit, and the rules for switching it to another library.
// The platform services it uses (ForeignApplications, ScriptingBridge, WaitClock) are the shared ones,
// so a test that installs fakes there drives both drivers.
class PhotoApplication {
public:
    struct Identity {
        // Binding and the running test (exact).
        QString bundleIdentifier;
        // The installed test (without regard to case).
        QString installedIdentifier;
        QString applicationName;
        // The application's preference domain; the first key is read, all are written.
        QString preferenceDomain;
        QStringList libraryKeys;
    };

    // The longest wait for the application to quit; a switch that runs out of it writes nothing.
    static constexpr std::chrono::seconds quitTimeout{120};
    static constexpr std::chrono::seconds quitPollInterval{1};

    static const PhotoApplication& iPhoto();
    static const PhotoApplication& aperture();

    explicit PhotoApplication(Identity identity) : m_identity(std::move(identity)) { }

    const Identity& identity() const { return m_identity; }

    // The stored library path with a leading "~" expanded to the home folder; null when unset.
    QString libraryPath() const;
    // Writes the path, as given, to every library key and synchronises the domain; answers whether that
    // worked. An empty path removes the keys (the library was unset) instead of storing "".
    bool setLibraryPath(const QString& path) const;

    bool isRunning() const;
    bool isInstalled() const;

    // The application bound with `delegate` set; neither checked nor started.
    ScriptableApplicationPtr bind(SBApplicationDelegate* delegate) const;
    // When `application` runs: sends quit saving changes, then polls once a second until it is gone, for
    // at most quitTimeout. True when it no longer runs; false when it still does (logged on the console).
    bool quitSavingChanges(ScriptableApplication& application) const;

    // Makes the application use the library at `path`:
    // 1. `path` equal to libraryPath() (plain comparison; the given path as given): true, nothing touched;
    // 2. otherwise, when the application runs, `quitRunningApplication` must quit it; when it answers
    //    false (still running), the answer is false and nothing is written;
    // 3. setLibraryPath(path) gives the answer.
    // `libraryWasSwitched` (may be null) receives true only when step 3 wrote the new library.
    bool switchToLibrary(
        const QString& path, const std::function<bool()>& quitRunningApplication, bool* libraryWasSwitched) const;

private:
    const Identity m_identity;
};

// A leading "~" or "~/" replaced by the home folder; any other path unchanged.
QString expandingTildeInPath(const QString& path);

} // namespace pairsift
