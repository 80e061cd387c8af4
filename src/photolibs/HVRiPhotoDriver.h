#pragma once

#include "platform/ScriptableApplication.h"
#include "support/logging/SOLogger.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace pairsift {

class SBApplicationDelegate;

// All work with iPhoto: which library it opens (its preference domain "com.apple.iPhoto", keys
// "LibraryPath" and "RootDirectory"), whether it is installed or running, the scripting connection,
// quitting it, and removing photos from its open library by script. Photos in its libraries are never
// removed through the file system.
//
// Blocking: switchToLibrary() and iPhotoQuitSavingChanges() may wait up to two minutes for iPhoto to
// quit, and every script blocks until it ends, so call them from a worker queue (the removal run's);
// libraryPath() and iPhotoIsInstalled() are cheap and fine on the main thread. One driver object is used
// by one thread at a time. On this system iPhoto is never installed or running and every script fails
// (ScriptingBridge::unavailableError()), so no photo is touched.
class HVRiPhotoDriver {
public:
    using ProgressBlock = std::function<void(const QString& path)>;

    HVRiPhotoDriver() = default;
    // Disconnects.
    ~HVRiPhotoDriver();

    HVRiPhotoDriver(const HVRiPhotoDriver&) = delete;
    HVRiPhotoDriver& operator=(const HVRiPhotoDriver&) = delete;

    // iPhoto's current library, a leading "~" expanded; null when unset.
    static QString libraryPath();
    // Writes the path as given to "LibraryPath" and "RootDirectory" and synchronises the domain; answers
    // whether that worked. An empty path removes both keys (switching back to a library that was unset).
    static bool setLibraryPath(const QString& path);
    // A running application has the bundle identifier "com.apple.iPhoto" (exactly).
    static bool iPhotoIsRunning();
    // An application "com.apple.iphoto" named "iPhoto.app" is installed.
    static bool iPhotoIsInstalled();
    // Makes iPhoto use the library at `path`. Equal to libraryPath(): true, nothing touched, *switched
    // false. Otherwise, when iPhoto runs, it is quit saving changes first (bounded wait; if it does not
    // quit in time the answer is false and nothing is written); then setLibraryPath(path) is the answer
    // and also what *switched receives. iPhoto is not started again: the next connection does that.
    // `libraryWasSwitched` may be null.
    static bool switchToLibrary(const QString& path, SBApplicationDelegate* delegate, bool* libraryWasSwitched);

    // Binds iPhotoApp() with `delegate` set and launches iPhoto when it does not run. True when iPhoto runs
    // afterwards; iPhotoApp() stays set either way. Logs nothing (the caller does).
    bool connectWithDelegate(SBApplicationDelegate* delegate);
    // Clears the application's delegate and drops iPhotoApp(); nothing when not connected.
    void disconnect();
    // When connected and iPhoto runs: quits it saving its changes and waits (once a second, at most two
    // minutes) until it is gone. Always disconnects. True when iPhoto no longer runs afterwards.
    bool iPhotoQuitSavingChanges();

    // Removes each photo, in order, from the open library by script (every photo whose image path or
    // original path is the path). After each success `progressBlock` gets the path. The first failing
    // script logs "Error executing script for image '%@':\n%@" at error level and answers false at once:
    // later paths are not tried and the block is not called for it. No block, or not connected: false,
    // nothing done. An empty list: true.
    bool deletePhotos(const QStringList& paths, const ProgressBlock& progressBlock);
    // Removes the first photo of the photo library album whose image path is `path`, through the scripting
    // model instead of a script. False when none matches or not connected.
    bool deletePhotoWithPath(const QString& path);

    const ScriptableApplicationPtr& iPhotoApp() const { return m_iPhotoApp; }
    void setiPhotoApp(ScriptableApplicationPtr application) { m_iPhotoApp = std::move(application); }
    const SOLoggerPtr& logger() const { return m_logger; }
    void setLogger(SOLoggerPtr logger) { m_logger = std::move(logger); }

private:
    ScriptableApplicationPtr m_iPhotoApp;
    SOLoggerPtr m_logger;
};

} // namespace pairsift
