#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

namespace pairsift {

// A preview of the file at `path` that fits `size`: the picture in the file, scaled down, and with
// `asIcon` dressed as an icon (framed, centred on a transparent square of `size`); for a file that is
// no readable picture, the workspace icon of the path at `size`. Null for an empty path, or when neither
// can be had. Any thread; the file is read on the calling thread, which should not be the main one. The
// icon comes from the desktop's icon theme, which lives on the main thread: called elsewhere, this
// waits for the main thread to draw it, so whoever waits on the main thread for a caller keeps calling
// drawWaitingIcons().
QImage imageWithPreviewOfFileAtPath(const QString& path, const QSize& size, bool asIcon);

// Main thread: draws at once the icons that callers of imageWithPreviewOfFileAtPath() on other threads
// are waiting for.
void drawWaitingIcons();

// The theme's icon for the type of the item at the path (a folder's for a folder), or a drawn one where
// the theme has neither name. Main thread.
QIcon workspaceIconForPath(const QString& path);

} // namespace pairsift
