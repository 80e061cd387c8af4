#pragma once

#include "platform/Error.h"
#include "platform/ScriptableApplication.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace pairsift {

class SBApplicationDelegate;

// All work with Aperture: which library it opens (its preference domain "com.apple.Aperture", key
// "LibraryPath"), whether it is installed or running, quitting it, and tagging image versions with the
// keyword "Duplicate" by script. Duplicates in its libraries are tagged there, never removed.
//
// Blocking: switchToLibrary() and quitSavingChanges() may wait up to two minutes for Aperture to quit, and
// scripts block until they end, so call them from a worker queue; libraryPath() and apertureIsInstalled()
// are fine on the main thread. One driver object is used by one thread at a time. On this system Aperture
// is never installed or running and every script fails (ScriptingBridge::unavailableError()).
class HVRApertureDriver {
public:
    // Binds apertureApp() with `delegate` set; neither checks nor starts Aperture (later scripting
    // requests start it where the system can).
    explicit HVRApertureDriver(SBApplicationDelegate* delegate);
    ~HVRApertureDriver();

    HVRApertureDriver(const HVRApertureDriver&) = delete;
    HVRApertureDriver& operator=(const HVRApertureDriver&) = delete;

    // Aperture's current library, a leading "~" expanded; null when unset.
    static QString libraryPath();
    // Writes the path as given to "LibraryPath" only and synchronises the domain; answers whether that
    // worked. An empty path removes the key (switching back to a library that was unset).
    static bool setLibraryPath(const QString& path);
    // A running application has the bundle identifier "com.apple.Aperture" (exactly).
    static bool apertureIsRunning();
    // An application "com.apple.aperture" named "Aperture.app" is installed.
    static bool apertureIsInstalled();
    // As HVRiPhotoDriver::switchToLibrary(): the current library → true, nothing touched, *switched false;
    // otherwise a running Aperture is quit first (bounded; not quit in time → false, nothing written),
    // then setLibraryPath(path) is the answer and what *switched receives. `libraryWasSwitched` may be null.
    static bool switchToLibrary(const QString& path, SBApplicationDelegate* delegate, bool* libraryWasSwitched);

    // When bound and Aperture runs: quits it saving changes and waits (once a second, at most two minutes)
    // until it is gone. Always drops apertureApp(). True when Aperture no longer runs afterwards.
    bool quitSavingChanges();

    // Adds the keyword "Duplicate" to the image version `uuid` by script. True when the script yields a
    // result; false when it fails (`errorInfo` says why) or no application is bound. Logs nothing.
    bool markImageAsDuplicateByUUID(const QString& uuid, Error* errorInfo);
    // The same for every image version whose "FileName" and "ImportGroup" tags are the given values.
    bool markImageAsDuplicate(const QString& fileName, const QString& importGroup, Error* errorInfo);

    // The image versions of the bound application. The removal run asks only to bring Aperture up again.
    QList<ScriptingObjectPtr> imageVersions() const;
    // The value of the version's first other tag named `tagName`; invalid when it has none.
    static QVariant otherTag(const QString& tagName, const ScriptingObjectPtr& imageVersion);
    static QVariant fileNameOfImageVersion(const ScriptingObjectPtr& imageVersion);
    static QVariant importGroupOfImageVersion(const ScriptingObjectPtr& imageVersion);
    // Adds a new keyword object named `keyword` to the version's keywords; false when that fails.
    bool setKeyword(const QString& keyword, const ScriptingObjectPtr& imageVersion);

    const ScriptableApplicationPtr& apertureApp() const { return m_apertureApp; }
    void setApertureApp(ScriptableApplicationPtr application) { m_apertureApp = std::move(application); }

private:
    bool runMarkingScript(const QString& script, Error* errorInfo);

    ScriptableApplicationPtr m_apertureApp;
};

} // namespace pairsift
