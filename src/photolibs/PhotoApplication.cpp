#include "photolibs/PhotoApplication.h"

#include "platform/ConsoleLog.h"
#include "platform/ForeignApplications.h"
#include "platform/ScriptingBridge.h"
#include "platform/UserDefaults.h"
#include "platform/WaitClock.h"

#include <QDir>

namespace pairsift {

const PhotoApplication& PhotoApplication::iPhoto()
{
    static const PhotoApplication application({
        QStringLiteral("com.apple.iPhoto"),
        QStringLiteral("com.apple.iphoto"),
        QStringLiteral("iPhoto.app"),
        QStringLiteral("com.apple.iPhoto"),
        {QStringLiteral("LibraryPath"), QStringLiteral("RootDirectory")},
    });
    return application;
}

const PhotoApplication& PhotoApplication::aperture()
{
    static const PhotoApplication application({
        QStringLiteral("com.apple.Aperture"),
        QStringLiteral("com.apple.aperture"),
        QStringLiteral("Aperture.app"),
        QStringLiteral("com.apple.Aperture"),
        {QStringLiteral("LibraryPath")},
    });
    return application;
}

QString PhotoApplication::libraryPath() const
{
    const QString stored
        = UserDefaults::domain(m_identity.preferenceDomain).stringValue(m_identity.libraryKeys.first());
    return stored.isNull() ? QString() : expandingTildeInPath(stored);
}

bool PhotoApplication::setLibraryPath(const QString& path) const
{
    UserDefaults& preferences = UserDefaults::domain(m_identity.preferenceDomain);
    for (const QString& key : m_identity.libraryKeys) {
        if (path.isEmpty())
            preferences.removeValue(key);
        else
            preferences.setValue(key, path);
    }
    Error error;
    if (preferences.synchronize(&error))
        return true;
    consoleLog("%@", error.message());
    return false;
}

bool PhotoApplication::isRunning() const
{
    return ForeignApplications::shared()->isRunning(m_identity.bundleIdentifier);
}

bool PhotoApplication::isInstalled() const
{
    return ForeignApplications::shared()->isInstalled(m_identity.installedIdentifier, m_identity.applicationName);
}

ScriptableApplicationPtr PhotoApplication::bind(SBApplicationDelegate* delegate) const
{
    ScriptableApplicationPtr application = ScriptingBridge::shared()->application(m_identity.bundleIdentifier);
    application->setDelegate(delegate);
    return application;
}

bool PhotoApplication::quitSavingChanges(ScriptableApplication& application) const
{
    if (!application.isRunning())
        return true;
    if (!application.quit(saveOptionYes))
        return !application.isRunning();
    const bool hasQuit = WaitClock::shared()->pollUntil(
        [&application] { return !application.isRunning(); }, quitPollInterval, quitTimeout);
    if (!hasQuit)
        consoleLog(
            "'%@' did not quit within %d seconds", m_identity.bundleIdentifier, static_cast<int>(quitTimeout.count()));
    return hasQuit;
}

bool PhotoApplication::switchToLibrary(
    const QString& path, const std::function<bool()>& quitRunningApplication, bool* libraryWasSwitched) const
{
    if (libraryWasSwitched)
        *libraryWasSwitched = false;
    if (path == libraryPath())
        return true;
    if (isRunning() && !quitRunningApplication())
        return false;
    const bool isSwitched = setLibraryPath(path);
    if (libraryWasSwitched)
        *libraryWasSwitched = isSwitched;
    return isSwitched;
}

QString expandingTildeInPath(const QString& path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

} // namespace pairsift
