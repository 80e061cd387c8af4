#include "model/QuickLookImage.h"

#include "platform/MainQueue.h"
#include "support/foundation/FallbackIcons.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>

#include <future>
#include <memory>

namespace pairsift {

namespace {

// The white frame around a picture dressed as an icon, and the line around that.
constexpr int iconFrame = 3;
const QColor iconOutline(0, 0, 0, 64);

// The picture in the file scaled to fit `bounds`; null when the file is no readable picture.
QImage pictureOf(const QString& path, const QSize& bounds)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {};
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > bounds.width() || size.height() > bounds.height()))
        reader.setScaledSize(size.scaled(bounds, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > bounds.width() || image.height() > bounds.height()))
        image = image.scaled(bounds, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage dressedAsIcon(const QImage& picture, const QSize& size)
{
    QImage icon(size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    QRect framed(QPoint(), picture.size().grownBy(QMargins(iconFrame, iconFrame, iconFrame, iconFrame)));
    framed.moveCenter(icon.rect().center());
    painter.fillRect(framed, Qt::white);
    painter.setPen(iconOutline);
    painter.drawRect(framed.adjusted(0, 0, -1, -1));
    painter.drawImage(framed.topLeft() + QPoint(iconFrame, iconFrame), picture);
    return icon;
}

QIcon workspaceIconForType(const QMimeType& type)
{
    const FallbackIcon fallback = type.name() == QLatin1String("inode/directory") ? FallbackIcon::Folder : FallbackIcon::File;
    QIcon icon = type.isValid() ? QIcon::fromTheme(type.iconName()) : QIcon();
    return icon.isNull() ? themeIcon(type.genericIconName(), fallback) : icon;
}

// Main thread.
QImage workspaceIconImage(const QMimeType& type, const QSize& size)
{
    // Icons are drawn into pixmaps, which need a GUI application.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    const QIcon icon = workspaceIconForType(type);
    if (icon.isNull())
        return {};
    const QImage image = icon.pixmap(size).toImage();
    return image.size() == size ? image : image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// Lives on the main thread; receives the drawing of the icons that other threads wait for.
QObject* iconDrawer()
{
    static QObject* const drawer = [] {
        auto* object = new QObject;
        object->moveToThread(QCoreApplication::instance()->thread());
        return object;
    }();
    return drawer;
}

// The type is told here, since that may read the file; null when the main thread is gone before it
// could draw.
QImage workspaceIconImageFromMain(const QString& path, const QSize& size)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (isMainThread())
        return workspaceIconImage(type, size);
    if (!QCoreApplication::instance())
        return {};
    // Dropped unrun (the application went away), the work takes its promise along, which ends the wait.
    auto drawn = std::make_shared<std::promise<QImage>>();
    std::future<QImage> icon = drawn->get_future();
    QMetaObject::invokeMethod(
        iconDrawer(), [drawn, type, size] { drawn->set_value(workspaceIconImage(type, size)); }, Qt::QueuedConnection);
    try {
        return icon.get();
    } catch (const std::future_error&) {
        return {};
    }
}

} // namespace

QImage imageWithPreviewOfFileAtPath(const QString& path, const QSize& size, bool asIcon)
{
    // The empty path names no file (a relative one does, from the working folder).
    if (path.isEmpty() || size.isEmpty())
        return {};
    const QSize bounds = asIcon ? size.shrunkBy(QMargins(iconFrame, iconFrame, iconFrame, iconFrame)) : size;
    const QImage picture = bounds.isEmpty() ? QImage() : pictureOf(path, bounds);
    if (!picture.isNull())
        return asIcon ? dressedAsIcon(picture, size) : picture;
    return workspaceIconImageFromMain(path, size);
}

void drawWaitingIcons()
{
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(iconDrawer(), QEvent::MetaCall);
}

QIcon workspaceIconForPath(const QString& path)
{
    return workspaceIconForType(QMimeDatabase().mimeTypeForFile(path));
}

} // namespace pairsift
