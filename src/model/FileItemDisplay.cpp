// The display side of FileItem: type text, icon, preview and size text, for the results list, the
// details pane and the preview window.
#include "model/FileItem.h"

#include "platform/PackageTypes.h"
#include "support/foundation/FallbackIcons.h"
#include "support/foundation/SizeFormatting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
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

// The theme's icon for the type of the item at the path (a folder's for a folder), or a drawn one where
// the theme has neither name.
QIcon iconForPath(const QString& path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    const FallbackIcon fallback = type.name() == QLatin1String("inode/directory") ? FallbackIcon::Folder : FallbackIcon::File;
    QIcon icon = type.isValid() ? QIcon::fromTheme(type.iconName()) : QIcon();
    return icon.isNull() ? themeIcon(type.genericIconName(), fallback) : icon;
}

// The picture itself, scaled to fit the preview square; null when the file is no readable picture.
QImage thumbnailOf(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {};
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(PreviewSide, PreviewSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > PreviewSide || image.height() > PreviewSide))
        image = image.scaled(PreviewSide, PreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
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
    return iconForPath(isRegularFile() ? name() : containerPath());
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
    const QImage image = thumbnailOf(name());
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
