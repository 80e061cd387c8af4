#include "photolibs/HVRiPhotoDriver.h"

#include "photolibs/PhotoApplication.h"
#include "photolibs/PhotoScripts.h"
#include "platform/ScriptingBridge.h"

namespace pairsift {

namespace {

const PhotoApplication& iPhoto()
{
    return PhotoApplication::iPhoto();
}

} // namespace

HVRiPhotoDriver::~HVRiPhotoDriver()
{
    disconnect();
}

QString HVRiPhotoDriver::libraryPath()
{
    return iPhoto().libraryPath();
}

bool HVRiPhotoDriver::setLibraryPath(const QString& path)
{
    return iPhoto().setLibraryPath(path);
}

bool HVRiPhotoDriver::iPhotoIsRunning()
{
    return iPhoto().isRunning();
}

bool HVRiPhotoDriver::iPhotoIsInstalled()
{
    return iPhoto().isInstalled();
}

bool HVRiPhotoDriver::switchToLibrary(const QString& path, SBApplicationDelegate* delegate, bool* libraryWasSwitched)
{
    return iPhoto().switchToLibrary(
        path,
        [delegate] {
            HVRiPhotoDriver driver;
            driver.connectWithDelegate(delegate);
            return driver.iPhotoQuitSavingChanges();
        },
        libraryWasSwitched);
}

bool HVRiPhotoDriver::connectWithDelegate(SBApplicationDelegate* delegate)
{
    m_iPhotoApp = iPhoto().bind(delegate);
    if (!m_iPhotoApp->isRunning())
        m_iPhotoApp->launch();
    return m_iPhotoApp->isRunning() && m_iPhotoApp->delegate() == delegate;
}

void HVRiPhotoDriver::disconnect()
{
    if (!m_iPhotoApp)
        return;
    m_iPhotoApp->setDelegate(nullptr);
    m_iPhotoApp.reset();
}

bool HVRiPhotoDriver::iPhotoQuitSavingChanges()
{
    const bool hasQuit = m_iPhotoApp ? iPhoto().quitSavingChanges(*m_iPhotoApp) : !iPhotoIsRunning();
    disconnect();
    return hasQuit;
}

bool HVRiPhotoDriver::deletePhotos(const QStringList& paths, const ProgressBlock& progressBlock)
{
    if (!progressBlock || !m_iPhotoApp)
        return false;
    const std::shared_ptr<ScriptingBridge> bridge = ScriptingBridge::shared();
    for (const QString& path : paths) {
        Error errorInfo;
        if (!bridge->runScript(iPhotoDeletePhotoScript(path), &errorInfo)) {
            logError(m_logger, "Error executing script for image '%@':\n%@", path, errorInfo.message());
            return false;
        }
        progressBlock(path);
    }
    return true;
}

bool HVRiPhotoDriver::deletePhotoWithPath(const QString& path)
{
    if (!m_iPhotoApp)
        return false;
    const QString photos = QStringLiteral("photos");
    const ScriptingObjectPtr album = m_iPhotoApp->objectProperty(QStringLiteral("photo library album"));
    if (!album)
        return false;
    for (const ScriptingObjectPtr& photo : album->elements(photos)) {
        if (photo && photo->property(QStringLiteral("image path")).toString() == path)
            return album->removeElement(photos, photo);
    }
    return false;
}

} // namespace pairsift
