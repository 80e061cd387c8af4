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
    // The pieces measured apart can come out a pixel or two wider together (kerning across the joins).
    QString shown;
    for (int restWidth = room - metrics.horizontalAdvance(head); restWidth > 0; restWidth -= 2) {
        shown = head + metrics.elidedText(folder.mid(head.size()), Qt::ElideLeft, restWidth) + name;
        if (metrics.horizontalAdvance(shown) <= width)
            return shown;
    }
    return metrics.elidedText(name, Qt::ElideMiddle, width);
}

} // namespace pairsift
