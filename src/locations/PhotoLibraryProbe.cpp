#include "locations/PhotoLibraryProbe.h"

namespace pairsift {

namespace {

// Neither photo application exists on this platform: nothing is installed and no library is current.
class AbsentPhotoLibraries : public PhotoLibraryProbe {
public:
    bool iPhotoIsInstalled() override { return false; }
    bool apertureIsInstalled() override { return false; }
    QString iPhotoLibraryPath() override { return {}; }
    QString apertureLibraryPath() override { return {}; }
};

} // namespace

std::shared_ptr<PhotoLibraryProbe> PhotoLibraryProbe::standard()
{
    static const std::shared_ptr<PhotoLibraryProbe> probe = std::make_shared<AbsentPhotoLibraries>();
    return probe;
}

} // namespace pairsift
