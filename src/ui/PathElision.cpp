#include "ui/PathElision.h"

#include <QFontMetrics>

namespace pairsift {

QString elidedPath(const QString& path, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const QString name = path.mid(nameStart);
    const QString ellipsis(QChar(0x2026));
    const int room = width - metrics.horizontalAdvance(name);
    if (nameStart == 0 || room < metrics.horizontalAdvance(ellipsis + QLatin1Char('/')))
        return metrics.elidedText(name, Qt::ElideMiddle, width);
    // "/home/" or "~/" stays when the last folder fits whole beside it; the rest loses its start.
    const QString folder = path.left(nameStart);
    QString head = folder.left(folder.indexOf(QLatin1Char('/'), 1) + 1);
    const QString lastFolder = folder.mid(folder.lastIndexOf(QLatin1Char('/'), folder.size() - 2));
    if (metrics.horizontalAdvance(head + ellipsis + lastFolder) > room)
        head.clear();
    const QString rest = metrics.elidedText(folder.mid(head.size()), Qt::ElideLeft, room - metrics.horizontalAdvance(head));
    return head + rest + name;
}

} // namespace pairsift
