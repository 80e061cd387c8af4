#pragma once

#include "removal/PhotoLibraryHandlers.h"

namespace pairsift {

class SBApplicationDelegate;

// The photo-library handlers on the photo-application drivers: each application is switched to each of its
// libraries in turn (its current library first), iPhoto removes the staged photos and Aperture tags every
// version of a staged master with the keyword "Duplicate"; the rows of the files dealt with are deleted, and
// the application is switched back and brought up again as it was. A failing switch, connection or library
// database ends that handler at once. A master whose versions were not all tagged stays staged with an error
// mark. On this system the applications are never available, so library files stay staged.
class PhotoLibraryRemoval : public PhotoLibraryHandlers {
public:
    // `delegate` (not owned) hears of scripting requests that fail inside the applications.
    explicit PhotoLibraryRemoval(SBApplicationDelegate* delegate);

    QString iPhotoLibraryPath() override;
    QString apertureLibraryPath() override;
    void iPhotoHandler(PhotoRemovalRun& run) override;
    void apertureHandler(PhotoRemovalRun& run) override;

private:
    SBApplicationDelegate* m_delegate;
};

} // namespace pairsift
