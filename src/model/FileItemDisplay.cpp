// The display side of FileItem: type text, icon, preview and size text, for the results list, the
// details pane and the preview window.
#include "model/FileItem.h"

#include "model/QuickLookImage.h"
#include "platform/PackageTypes.h"
#include "support/foundation/SizeFormatting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>

#include <sys/stat.h>

namespace pairsift {

namespace {

constexpr int PreviewSide = 96;

QString expandingTilde(const QString& path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

bool exists(const QString& path)
{
    struct stat status;
    const QByteArray encoded = QFile::encodeName(path);
    return !encoded.isEmpty() && ::lstat(encoded.constData(), &status) == 0;
}

} // namespace

QString FileItem::fileKindWithPathName(const QString& path)
{
    const QString expanded = expandingTilde(path);
    if (!exists(expanded))
        return QStringLiteral("");
    const QMimeType type = QMimeDatabase().mimeTypeForFile(expanded);
    return type.isValid() ? type.comment() : QStringLiteral("");
}

QString FileItem::kind() const
{
    return fileKindWithPathName(name());
}

QIcon FileItem::icon() const
{
    // A photo inside a library shows the library's icon.
    return workspaceIconForPath(isRegularFile() ? name() : containerPath());
}

QImage FileItem::preview() const
{
    const Extras* extras = m_extras.load(std::memory_order_acquire);
    const std::shared_ptr<const QImage> preview = extras ? extras->preview.load() : nullptr;
    return preview ? *preview : QImage();
}

void FileItem::setPreview(const QImage& preview)
{
    if (preview.isNull() && !m_extras.load(std::memory_order_acquire))
        return;
    extras().preview.store(preview.isNull() ? nullptr : std::make_shared<const QImage>(preview));
}

bool FileItem::fillPreview()
{
    const QImage image = imageWithPreviewOfFileAtPath(name(), QSize(PreviewSide, PreviewSide), true);
    if (image.isNull())
        return false;
    setPreview(image);
    return true;
}

QString FileItem::sizeString() const
{
    return stringWithDiskSpace(static_cast<double>(m_totalSize));
}

QUrl FileItem::previewItemURL() const
{
    return QUrl::fromLocalFile(name());
}

QString FileItem::previewItemTitle() const
{
    return baseName();
}

} // namespace pairsift
