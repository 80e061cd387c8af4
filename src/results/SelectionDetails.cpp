#include "results/SelectionDetails.h"

#include "model/QuickLookImage.h"
#include "platform/Format.h"
#include "platform/SerialQueue.h"
#include "results/IconAndKindCache.h"
#include "results/ResultsImages.h"
#include "settings/PairsiftDefaults.h"
#include "support/foundation/DateFormatting.h"
#include "support/foundation/SizeFormatting.h"

#include <algorithm>
#include <chrono>
#include <future>

namespace pairsift {

struct SelectionDetails::PreviewRequest {
    FileItemPtr file;
    std::unique_ptr<SerialQueue> queue;
    std::future<void> made;
};

SelectionDetails::SelectionDetails(IconAndKindCache& icons, QObject* parent)
    : QObject(parent)
    , m_icons(icons)
    , m_detailsDateFormatter(std::make_unique<StyledDateFormatter>(StyledDateFormatter::Style::Medium,
                                                                   StyledDateFormatter::Style::Medium))
    , m_makeThumbnail([](FileItem& file) { return file.fillPreview(); })
{
}

SelectionDetails::~SelectionDetails()
{
    // A picture's worker may be waiting for this thread to draw an icon. What the queues post back dies
    // with this object.
    for (const std::unique_ptr<PreviewRequest>& request : m_requests) {
        while (request->made.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
            drawWaitingIcons();
    }
    m_requests.clear();
}

void SelectionDetails::setSelection(FileItemPtr file, FileGroupPtr group)
{
    m_selectedFile = std::move(file);
    m_selectedGroup = m_selectedFile ? nullptr : std::move(group);
    m_previewFile = m_selectedFile ? m_selectedFile : m_selectedGroup ? m_selectedGroup->head() : nullptr;
    Q_EMIT selectionChanged();
    Q_EMIT previewChanged();
    updatePreviewForFile(m_previewFile);
}

QString SelectionDetails::selectedFileName() const
{
    if (m_selectedFile)
        return m_selectedFile->name();
    return m_selectedGroup ? m_selectedGroup->fileName() : QString();
}

QString SelectionDetails::selectedFileKind() const
{
    return m_previewFile ? m_icons.kindForPath(m_previewFile->name()) : QString();
}

QString SelectionDetails::selectedFileSize() const
{
    if (m_selectedFile)
        return m_selectedFile->sizeString();
    if (!m_selectedGroup)
        return {};
    const QString fileSize = stringWithDiskSpace(static_cast<double>(m_selectedGroup->fileSize()));
    const QString totalSize = stringWithDiskSpace(static_cast<double>(m_selectedGroup->totalSize()));
    return formatString("%@ × %lu = %@", fileSize, m_selectedGroup->count(), totalSize);
}

QString SelectionDetails::selectedFileDate() const
{
    if (m_selectedFile)
        return m_detailsDateFormatter->stringFromDate(m_selectedFile->dateCreated());
    return m_selectedGroup ? QStringLiteral("(Multiple files)") : QString();
}

QImage SelectionDetails::preview() const
{
    const QImage picture = m_previewFile ? m_previewFile->preview() : QImage();
    return picture.isNull() ? namedImage(QStringLiteral("PlaceholderTemplate")) : picture;
}

bool SelectionDetails::preferOldFiles() const
{
    return PairsiftDefaults::preferFiles() == 0;
}

void SelectionDetails::setPreferOldFiles(bool preferOldFiles)
{
    PairsiftDefaults::setPreferFiles(preferOldFiles ? 0 : 1);
}

bool SelectionDetails::preferNewFiles() const
{
    return !preferOldFiles();
}

void SelectionDetails::setPreferNewFiles(bool preferNewFiles)
{
    setPreferOldFiles(!preferNewFiles);
}

void SelectionDetails::preferFilesDidChange()
{
    Q_EMIT preferFilesChanged();
}

void SelectionDetails::updatePreviewForFile(const FileItemPtr& file)
{
    if (!file || !file->preview().isNull())
        return;
    auto request = std::make_unique<PreviewRequest>(
        PreviewRequest{file, std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.ThumbnailGenerator"))});
    PreviewRequest* pending = request.get();
    request->made = request->queue->submit([this, pending, file, make = m_makeThumbnail] {
        make(*file);
        // Queued to this object: dropped if it is gone by then (its destructor waits for this work first).
        QMetaObject::invokeMethod(this, [this, pending] { previewDidFinish(pending); }, Qt::QueuedConnection);
    });
    m_requests.push_back(std::move(request));
}

void SelectionDetails::previewDidFinish(PreviewRequest* request)
{
    const auto found = std::find_if(m_requests.begin(), m_requests.end(),
                                    [request](const auto& candidate) { return candidate.get() == request; });
    if (found == m_requests.end())
        return;
    const FileItemPtr file = request->file;
    m_requests.erase(found);
    if (file == m_previewFile)
        Q_EMIT previewChanged();
}

} // namespace pairsift
