#include "platform/desktop/ApplicationDockTile.h"

#include "platform/desktop/LauncherEntry.h"

#include <QGuiApplication>
#include <QPixmap>

namespace pairsift {

namespace {

// Icons and pixmaps need a GUI application.
bool hasGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

QImage ApplicationDockTile::applicationIcon()
{
    if (!hasGuiApplication())
        return {};
    const QIcon icon = m_plainIcon.value_or(QGuiApplication::windowIcon());
    return icon.isNull() ? QImage() : icon.pixmap(QSize(dockTileSize, dockTileSize)).toImage();
}

void ApplicationDockTile::display(const QImage& tile, double fraction)
{
    if (hasGuiApplication()) {
        if (!m_plainIcon)
            m_plainIcon = QGuiApplication::windowIcon();
        QGuiApplication::setWindowIcon(QIcon(QPixmap::fromImage(tile)));
    }
    LauncherEntry::sendUpdate(fraction, true);
}

void ApplicationDockTile::restore()
{
    if (hasGuiApplication() && m_plainIcon) {
        QGuiApplication::setWindowIcon(*m_plainIcon);
        m_plainIcon.reset();
    }
    LauncherEntry::sendUpdate(0, false);
}

} // namespace pairsift
