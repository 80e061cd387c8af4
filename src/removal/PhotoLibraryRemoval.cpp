#include "removal/PhotoLibraryRemoval.h"

#include "photolibs/HVRApertureDatabase.h"
#include "photolibs/HVRApertureDriver.h"
#include "photolibs/HVRiPhotoDriver.h"
#include "platform/ConsoleLog.h"
#include "removal/ClassifiedFiles.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <QHash>

#include <stdexcept>

namespace pairsift {
namespace {

using Libraries = QMap<QString, QList<FileItemPtr>>;
using SwitchLibrary = bool (*)(const QString&, SBApplicationDelegate*, bool*);

// The libraries with staged files, the application's current one first.
QStringList librariesInOrder(const Libraries& libraries, const QString& startingLibrary)
{
    QStringList order;
    for (auto library = libraries.cbegin(); library != libraries.cend(); ++library) {
        if (library.value().isEmpty())
            continue;
        if (library.key() == startingLibrary)
            order.prepend(library.key());
        else
            order.append(library.key());
    }
    return order;
}

// The files of one library by path, announced on the console.
QHash<QString, FileItemPtr> filesToDelete(const QList<FileItemPtr>& files, QStringList* paths)
{
    QHash<QString, FileItemPtr> byPath;
    QStringList described;
    for (const FileItemPtr& file : files) {
        paths->append(file->name());
        byPath.insert(file->name(), file);
        described.append(QStringLiteral("\"%1\" = %2").arg(file->name(), file->description()));
    }
    consoleLog("filesToDelete: %@", QLatin1Char('{') + described.join(QStringLiteral("; ")) + QLatin1Char('}'));
    return byPath;
}

// A library's file dealt with: its row goes, it leaves the list, it counts.
void finishFile(PhotoRemovalRun& run, const FileItemPtr& file)
{
    if (!run.database || !run.database->deleteFile(file->name()))
        logError(run.logger, "Unable to delete file '%@' from database", file->name());
    run.processedFiles.append(file);
    run.countFileDone();
}

// A library's file that could not be dealt with: it stays listed and staged with the reason, and counts.
void keepStaged(PhotoRemovalRun& run, const FileItemPtr& file, const QString& reason)
{
    run.markFailed(file, reason);
    run.countFileDone();
}

// After a failure that ends a handler: the status now, and the same text at the end of the run.
void fail(PhotoRemovalRun& run, const QString& status)
{
    run.setStatus(status);
    run.setFailureStatus(status);
}

void switchBack(PhotoRemovalRun& run, SwitchLibrary switchToLibrary, SBApplicationDelegate* delegate,
    const char* statusFormat, const QString& startingLibrary)
{
    run.setStatus(formatString(statusFormat, startingLibrary));
    bool isSwitchedBack = false;
    // A library that was unset is unset again: the driver removes the keys for an empty path.
    if (!switchToLibrary(startingLibrary, delegate, &isSwitchedBack))
        logError(run.logger, "Switching to old library '%@' failed", startingLibrary);
}

} // namespace

PhotoLibraryRemoval::PhotoLibraryRemoval(SBApplicationDelegate* delegate)
    : m_delegate(delegate)
{
}

QString PhotoLibraryRemoval::iPhotoLibraryPath()
{
    return HVRiPhotoDriver::libraryPath();
}

QString PhotoLibraryRemoval::apertureLibraryPath()
{
    return HVRApertureDriver::libraryPath();
}

void PhotoLibraryRemoval::iPhotoHandler(PhotoRemovalRun& run)
{
    const bool wasRunning = HVRiPhotoDriver::iPhotoIsRunning();
    logDebug(run.logger, "iPhoto was %srunning when we started", wasRunning ? "" : "not ");
    const QString startingLibrary = HVRiPhotoDriver::libraryPath();
    bool isSwitched = false;
    for (const QString& library : librariesInOrder(run.classified.iPhoto, startingLibrary)) {
        run.setStatus(formatString("Processing iPhoto library %@", library));
        if (!HVRiPhotoDriver::switchToLibrary(library, m_delegate, &isSwitched)) {
            logError(run.logger, "Unable to switch iPhoto library to %@", library);
            return fail(run, QStringLiteral("Unable to switch iPhoto library"));
        }
        QStringList paths;
        const QHash<QString, FileItemPtr> byPath = filesToDelete(run.classified.iPhoto.value(library), &paths);
        HVRiPhotoDriver driver;
        driver.setLogger(run.logger);
        if (!driver.connectWithDelegate(m_delegate)) {
            logError(run.logger, "Unable to connect to iPhoto");
            return fail(run, QStringLiteral("Unable to connect to iPhoto"));
        }
        // A failing script leaves the rest of this library staged; the next library still comes.
        driver.deletePhotos(paths, [&](const QString& path) {
            const FileItemPtr file = byPath.value(path);
            if (!file)
                throw std::logic_error("File object for deleted file path is nil");
            finishFile(run, file);
        });
    }
    if (isSwitched)
        switchBack(run, &HVRiPhotoDriver::switchToLibrary, m_delegate, "Switching iPhoto back to %@", startingLibrary);
    if (wasRunning && !HVRiPhotoDriver::iPhotoIsRunning()) {
        HVRiPhotoDriver driver;
        if (!driver.connectWithDelegate(m_delegate))
            logError(run.logger, "Unable to re-launch iPhoto");
    }
}

void PhotoLibraryRemoval::apertureHandler(PhotoRemovalRun& run)
{
    const bool wasRunning = HVRApertureDriver::apertureIsRunning();
    logDebug(run.logger, "Aperture was %srunning when we started", wasRunning ? "" : "not ");
    const QString startingLibrary = HVRApertureDriver::libraryPath();
    bool isSwitched = false;
    for (const QString& library : librariesInOrder(run.classified.aperture, startingLibrary)) {
        run.setStatus(formatString("Processing Aperture library %@", library));
        if (!HVRApertureDriver::switchToLibrary(library, m_delegate, &isSwitched)) {
            logError(run.logger, "Unable to switch Aperture library to %@", library);
            return fail(run, QStringLiteral("Unable to switch Aperture library"));
        }
        QStringList paths;
        const QHash<QString, FileItemPtr> byPath = filesToDelete(run.classified.aperture.value(library), &paths);
        HVRApertureDriver driver(m_delegate);
        HVRApertureDatabase database(library);
        if (!database.open()) {
            logError(run.logger, "Unable to open Aperture database in library: %@", library);
            return fail(run, QStringLiteral("Unable to open Aperture database"));
        }
        for (const QString& path : paths) {
            const std::optional<QStringList> uuids = database.imageVersionUUIDsWithMasterImagePath(path);
            if (!uuids) {
                // Without its versions nothing could be tagged: the master stays staged.
                logError(run.logger, "Unable to read the image versions of master '%@' from library: %@", path, library);
                keepStaged(run, byPath.value(path), QStringLiteral("its versions could not be read from the Aperture library"));
                continue;
            }
            consoleLog("UUIDs for master image '%@': %@", path, QLatin1Char('(') + uuids->join(QStringLiteral(", ")) + QLatin1Char(')'));
            bool isEveryVersionTagged = true;
            for (const QString& uuid : *uuids) {
                Error errorInfo;
                if (!driver.markImageAsDuplicateByUUID(uuid, &errorInfo)) {
                    logError(run.logger, "Unable to mark image version '%@' of master '%@' as duplicate: %@", uuid,
                        path, errorInfo.message());
                    isEveryVersionTagged = false;
                }
            }
            if (isEveryVersionTagged) {
                finishFile(run, byPath.value(path));
            } else {
                // An untagged version would leave the user nothing to find it by: the master stays staged.
                keepStaged(run, byPath.value(path), QStringLiteral("not every version of it could be tagged in Aperture"));
            }
        }
    }
    if (isSwitched)
        switchBack(run, &HVRApertureDriver::switchToLibrary, m_delegate, "Switching Aperture back to %@", startingLibrary);
    if (wasRunning && !HVRApertureDriver::apertureIsRunning())
        HVRApertureDriver(m_delegate).imageVersions(); // brings Aperture up again; the answer is not needed
}

} // namespace pairsift
