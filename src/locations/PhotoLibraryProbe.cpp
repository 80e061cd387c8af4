#include "locations/PhotoLibraryProbe.h"

#include "photolibs/HVRApertureDriver.h"
#include "photolibs/HVRiPhotoDriver.h"

#include <mutex>

namespace pairsift {

namespace {

// The photo applications' drivers; whether an application is installed is asked once per process.
class DriverPhotoLibraries : public PhotoLibraryProbe {
public:
    bool iPhotoIsInstalled() override
    {
        std::call_once(m_iPhotoOnce, [this] { m_isIPhotoInstalled = HVRiPhotoDriver::iPhotoIsInstalled(); });
        return m_isIPhotoInstalled;
    }
    bool apertureIsInstalled() override
    {
        std::call_once(m_apertureOnce, [this] { m_isApertureInstalled = HVRApertureDriver::apertureIsInstalled(); });
        return m_isApertureInstalled;
    }
    QString iPhotoLibraryPath() override { return HVRiPhotoDriver::libraryPath(); }
    QString apertureLibraryPath() override { return HVRApertureDriver::libraryPath(); }

private:
    std::once_flag m_iPhotoOnce;
    std::once_flag m_apertureOnce;
    bool m_isIPhotoInstalled = false;
    bool m_isApertureInstalled = false;
};

} // namespace

std::shared_ptr<PhotoLibraryProbe> PhotoLibraryProbe::standard()
{
    static const std::shared_ptr<PhotoLibraryProbe> probe = std::make_shared<DriverPhotoLibraries>();
    return probe;
}

} // namespace pairsift
