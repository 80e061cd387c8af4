#include "photolibs/HVRApertureDriver.h"

#include "photolibs/PhotoApplication.h"
#include "photolibs/PhotoScripts.h"
#include "platform/ScriptingBridge.h"

namespace pairsift {

namespace {

const PhotoApplication& aperture()
{
    return PhotoApplication::aperture();
}

} // namespace

HVRApertureDriver::HVRApertureDriver(SBApplicationDelegate* delegate) : m_apertureApp(aperture().bind(delegate)) { }

HVRApertureDriver::~HVRApertureDriver()
{
    if (m_apertureApp)
        m_apertureApp->setDelegate(nullptr);
}

QString HVRApertureDriver::libraryPath()
{
    return aperture().libraryPath();
}

bool HVRApertureDriver::setLibraryPath(const QString& path)
{
    return aperture().setLibraryPath(path);
}

bool HVRApertureDriver::apertureIsRunning()
{
    return aperture().isRunning();
}

bool HVRApertureDriver::apertureIsInstalled()
{
    return aperture().isInstalled();
}

bool HVRApertureDriver::switchToLibrary(const QString& path, SBApplicationDelegate* delegate, bool* libraryWasSwitched)
{
    return aperture().switchToLibrary(
        path,
        [delegate] {
            HVRApertureDriver driver(delegate);
            return driver.quitSavingChanges();
        },
        libraryWasSwitched);
}

bool HVRApertureDriver::quitSavingChanges()
{
    const bool hasQuit = m_apertureApp ? aperture().quitSavingChanges(*m_apertureApp) : !apertureIsRunning();
    if (m_apertureApp)
        m_apertureApp->setDelegate(nullptr);
    m_apertureApp.reset();
    return hasQuit;
}

bool HVRApertureDriver::runMarkingScript(const QString& script, Error* errorInfo)
{
    if (!m_apertureApp) {
        setError(errorInfo, ScriptingBridge::errorDomain, ScriptingBridge::ScriptFailedError,
            QStringLiteral("Not connected to Aperture"));
        return false;
    }
    return ScriptingBridge::shared()->runScript(script, errorInfo).has_value();
}

bool HVRApertureDriver::markImageAsDuplicateByUUID(const QString& uuid, Error* errorInfo)
{
    return runMarkingScript(apertureMarkDuplicateByUUIDScript(uuid), errorInfo);
}

bool HVRApertureDriver::markImageAsDuplicate(const QString& fileName, const QString& importGroup, Error* errorInfo)
{
    return runMarkingScript(apertureMarkDuplicateInImportGroupScript(fileName, importGroup), errorInfo);
}

QList<ScriptingObjectPtr> HVRApertureDriver::imageVersions() const
{
    return m_apertureApp ? m_apertureApp->elements(QStringLiteral("image versions")) : QList<ScriptingObjectPtr>();
}

QVariant HVRApertureDriver::otherTag(const QString& tagName, const ScriptingObjectPtr& imageVersion)
{
    if (!imageVersion)
        return {};
    for (const ScriptingObjectPtr& tag : imageVersion->elements(QStringLiteral("other tags"))) {
        if (tag && tag->property(QStringLiteral("name")).toString() == tagName)
            return tag->property(QStringLiteral("value"));
    }
    return {};
}

QVariant HVRApertureDriver::fileNameOfImageVersion(const ScriptingObjectPtr& imageVersion)
{
    return otherTag(QStringLiteral("FileName"), imageVersion);
}

QVariant HVRApertureDriver::importGroupOfImageVersion(const ScriptingObjectPtr& imageVersion)
{
    return otherTag(QStringLiteral("ImportGroup"), imageVersion);
}

bool HVRApertureDriver::setKeyword(const QString& keyword, const ScriptingObjectPtr& imageVersion)
{
    return imageVersion
        && imageVersion->makeElement(
               QStringLiteral("keywords"), QStringLiteral("keyword"), {{QStringLiteral("name"), keyword}})
        != nullptr;
}

} // namespace pairsift
