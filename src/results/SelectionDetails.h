#pragma once

#include "model/FileGroup.h"
#include "model/FileItem.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace pairsift {

class IconAndKindCache;
class SerialQueue;
class StyledDateFormatter;

// The details of the selected file or group beside the results list (name, kind, size, date and a
// preview picture) and the keep choice over "prefer_files". The selection is set only through
// setSelection(). Preview pictures (the file's picture, else its icon) are made on a queue of their own
// per request; a picture that arrives after the selection moved on is kept by its file but not shown.
// Main thread only.
class SelectionDetails : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isFileSelected READ isFileSelected NOTIFY selectionChanged)
    Q_PROPERTY(bool isGroupSelected READ isGroupSelected NOTIFY selectionChanged)
    Q_PROPERTY(bool isAnySelected READ isAnySelected NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedFileName READ selectedFileName NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedFileKind READ selectedFileKind NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedFileSize READ selectedFileSize NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedFileDate READ selectedFileDate NOTIFY selectionChanged)
    Q_PROPERTY(QImage preview READ preview NOTIFY previewChanged)
    Q_PROPERTY(bool preferOldFiles READ preferOldFiles WRITE setPreferOldFiles NOTIFY preferFilesChanged)
    Q_PROPERTY(bool preferNewFiles READ preferNewFiles WRITE setPreferNewFiles NOTIFY preferFilesChanged)

public:
    // Makes a file's picture on a worker thread: true when it set one.
    using ThumbnailMaker = std::function<bool(FileItem& file)>;

    explicit SelectionDetails(IconAndKindCache& icons, QObject* parent = nullptr);
    // Waits for the pictures still being made, and drops them.
    ~SelectionDetails() override;

    // Tests slow the pictures down with their own maker.
    void setThumbnailMaker(ThumbnailMaker maker) { m_makeThumbnail = std::move(maker); }

    const FileItemPtr& selectedFile() const { return m_selectedFile; }
    const FileGroupPtr& selectedGroup() const { return m_selectedGroup; }
    // At most one of the two is set.
    void setSelection(FileItemPtr file, FileGroupPtr group);

    bool isFileSelected() const { return m_selectedFile != nullptr; }
    bool isGroupSelected() const { return m_selectedGroup != nullptr; }
    bool isAnySelected() const { return isFileSelected() || isGroupSelected(); }

    // Null when nothing is selected.
    QString selectedFileName() const;
    QString selectedFileKind() const;
    QString selectedFileSize() const;
    QString selectedFileDate() const;
    // The shown file's picture; the placeholder when nothing is selected or the picture is not made yet.
    QImage preview() const;

    // Over "prefer_files": 0 keeps older files, anything else newer ones.
    bool preferOldFiles() const;
    void setPreferOldFiles(bool preferOldFiles);
    bool preferNewFiles() const;
    void setPreferNewFiles(bool preferNewFiles);
    // The setting changed (whoever changed it).
    void preferFilesDidChange();

    // Has the file's picture made in the background unless it has one; null asks for nothing.
    void updatePreviewForFile(const FileItemPtr& file);

Q_SIGNALS:
    void selectionChanged();
    void previewChanged();
    void preferFilesChanged();

private:
    struct PreviewRequest;
    void previewDidFinish(PreviewRequest* request);

    IconAndKindCache& m_icons;
    std::unique_ptr<StyledDateFormatter> m_detailsDateFormatter;
    ThumbnailMaker m_makeThumbnail;
    FileItemPtr m_selectedFile;
    FileGroupPtr m_selectedGroup;
    // The file whose picture is shown: the selected file or the selected group's kept file.
    FileItemPtr m_previewFile;
    std::vector<std::unique_ptr<PreviewRequest>> m_requests;
};

} // namespace pairsift
