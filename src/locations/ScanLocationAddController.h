#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QMimeData;

namespace pairsift {

class FolderChooser;
class PhotoLibraryProbe;
class ScanLocationTableViewController;

// The ways in of the scan locations list: the add menu's photo-library items and recent locations, the
// folder chooser and its enable rule, and drag and drop (folders dropped from outside are copied in, rows
// dragged within the table are moved). Works on the list's controller, which must outlive it. Main
// thread only.
class ScanLocationAddController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString addIPhotoLibraryMenuItemTitle READ addIPhotoLibraryMenuItemTitle NOTIFY photoLibraryTitlesChanged)
    Q_PROPERTY(QString addApertureLibraryMenuItemTitle READ addApertureLibraryMenuItemTitle NOTIFY photoLibraryTitlesChanged)

public:
    // Why a path typed, chosen, dropped or picked from the recent locations does not become a location.
    enum class Refusal { None, SystemFolder, Listed, Unreadable, NotAFolder };

    // The private drag type of rows moved within the table; its data is the list of dragged rows.
    static QString locationIndexMimeType();

    ScanLocationAddController(ScanLocationTableViewController& locations, std::shared_ptr<PhotoLibraryProbe> photoLibraries,
        std::shared_ptr<FolderChooser> folderChooser, QObject* parent = nullptr);
    ~ScanLocationAddController() override;

    // --- Photo-library items ---

    bool isIPhotoInstalled() const;
    bool isApertureInstalled() const;
    // True when the application has no current library or it is listed.
    bool isIPhotoLibraryListed() const;
    bool isApertureLibraryListed() const;
    // "iPhoto Library", "iPhoto Library (already added)" or "iPhoto Library (doesn't exist)".
    QString addIPhotoLibraryMenuItemTitle() const;
    QString addApertureLibraryMenuItemTitle() const;
    // Adds the application's current library, when there is one, and saves the locations.
    void addCurrentIPhotoLibrary();
    void addCurrentApertureLibrary();
    void addLibraryPathWithOpenPanel(const QString& path);

    // The main window became main: the titles are read again and the table redrawn.
    void activate();

    // --- Refusals ---

    // The first reason that applies, in this order: something that is neither a folder nor a photo
    // library, a system path, listed, not readable (missing included).
    Refusal refusalFor(const QString& path) const;
    // The sentence that tells the user, e.g. "“/tmp/data” is a system folder and is not scanned."
    static QString refusalMessage(const QString& path, Refusal refusal);

    // --- Folder chooser ---

    // Asks the chooser, which opens in startFolder(); the chosen paths become locations and recent
    // locations, and both are saved. Refused paths (unreadable ones, a package that is no photo library)
    // are announced.
    void addFolder();
    // The last folder chosen in this run, else the newest recent location, while it is a folder; else
    // the home folder.
    QString startFolder() const;
    // The chooser's rule, from names alone: a folder that is neither a system path nor listed, and, when
    // it is a package, named as a photo library.
    bool shouldEnablePath(const QString& path, bool isDirectory) const;

    // --- Recent locations ---

    // Adds the path as a location (not saved; the recent list is left alone), or announces the refusal.
    void addRecentLocation(const QString& path);
    void clearRecentLocations();
    // A menu item naming a listed location is disabled.
    bool validateMenuItem(const QString& title) const;

    // --- Drag and drop ---

    // A readable folder that is not listed and not a system path, or such a photo library package.
    bool canAcceptDragForPath(const QString& path) const;
    // The private type with the rows.
    QMimeData* writeRows(const QList<int>& rows) const;
    // Copy for file names of which at least one is a folder (acceptable, or refused for a reason the
    // user is told), move for the private type, else none.
    Qt::DropAction validateDrop(const QMimeData* data) const;
    // Acceptable file names are appended (wherever dropped) and become recent locations, refused folders
    // are announced; dragged rows move to just before `row` (-1 or past the end: to the end) and become
    // the selection. True when something was taken.
    bool acceptDrop(const QMimeData* data, int row);

Q_SIGNALS:
    void photoLibraryTitlesChanged();
    // Paths the user offered were not added; one sentence per path, one per line.
    void locationsRefused(const QString& message);

private:
    // The acceptable paths, in order; the others' sentences are announced in one message.
    QStringList takeAcceptable(const QStringList& paths);
    bool isLibraryListed(const QString& libraryPath) const;
    QString libraryMenuItemTitle(const QString& application, const QString& libraryPath) const;
    // The dropped local paths, canonical, each once.
    static QStringList droppedPaths(const QMimeData* data);

    ScanLocationTableViewController& m_locations;
    std::shared_ptr<PhotoLibraryProbe> m_photoLibraries;
    std::shared_ptr<FolderChooser> m_folderChooser;
    QString m_lastChosenFolder;
};

} // namespace pairsift
