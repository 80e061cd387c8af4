#pragma once

#include <QString>

#include <memory>

namespace pairsift {

// What the add menu asks the photo applications: whether each is installed and where its current
// library is (null when it has none). Main thread only.
class PhotoLibraryProbe {
public:
    virtual ~PhotoLibraryProbe() = default;

    virtual bool iPhotoIsInstalled() = 0;
    virtual bool apertureIsInstalled() = 0;
    virtual QString iPhotoLibraryPath() = 0;
    virtual QString apertureLibraryPath() = 0;

    // The program's own probe over the photo applications' drivers, shared by every user: the installed
    // answers are asked once per process.
    static std::shared_ptr<PhotoLibraryProbe> standard();
};

} // namespace pairsift
