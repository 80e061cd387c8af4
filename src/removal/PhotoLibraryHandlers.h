#pragma once

#include "model/FileItem.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace pairsift {

class PairsiftDatabase;
class SOLogger;
struct ClassifiedFiles;

// What a photo-library handler gets from the Delete run it ends: the run's classification, its processed
// list (files appended here leave the sheet at the run's finish), the run's file count and its done counter.
// The callbacks post to the sheet on the main queue, in the order called.
struct PhotoRemovalRun {
    const ClassifiedFiles& classified;
    QList<FileItemPtr>& processedFiles;
    std::uint64_t actionCount;
    std::uint64_t* doneCount;
    PairsiftDatabase* database;
    std::shared_ptr<SOLogger> logger;
    std::function<void(const QString& status)> setStatus;
    // Adds one to the done counter and shows the progress and the remaining count.
    std::function<void()> countFileDone;
    // The failure text that replaces "Idle." at the end of the run.
    std::function<void(const QString& status)> setFailureStatus;
    // The file stays staged; its row shows the error image with the reason (words that follow "was not
    // removed: ").
    std::function<void(const FileItemPtr& file, const QString& reason)> markFailed;
};

// The removal of staged photo-library files through their photo applications, library by library. Both
// handlers run synchronously on the removal queue after the plain files of a Delete run and cannot be
// stopped; they may block that queue while a photo application quits.
class PhotoLibraryHandlers {
public:
    virtual ~PhotoLibraryHandlers() = default;

    // The photo applications' current libraries; null when unset. Main thread.
    virtual QString iPhotoLibraryPath() = 0;
    virtual QString apertureLibraryPath() = 0;

    virtual void iPhotoHandler(PhotoRemovalRun& run) = 0;
    virtual void apertureHandler(PhotoRemovalRun& run) = 0;
};

} // namespace pairsift
