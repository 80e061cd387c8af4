#include "photolibs/PhotoScripts.h"

#include <QStringList>

namespace pairsift {

namespace {

// `text` as one double-quoted script string.
QString quoted(const QString& text)
{
    return QLatin1Char('"') + scriptStringContents(text) + QLatin1Char('"');
}

QString joinedLines(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString scriptStringContents(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar character : text) {
        if (character == QLatin1Char('\\') || character == QLatin1Char('"'))
            escaped += QLatin1Char('\\');
        escaped += character;
    }
    return escaped;
}

QString iPhotoDeletePhotoScript(const QString& path)
{
    return joinedLines({
        QStringLiteral("set pathToRemove to ") + quoted(path),
        QStringLiteral("tell application \"iPhoto\""),
        QStringLiteral("select photo library album"),
        QStringLiteral("remove (every photo whose image path is equal to pathToRemove or original path is equal to "
                       "pathToRemove)"),
        QStringLiteral("end tell"),
    });
}

QString apertureMarkDuplicateByUUIDScript(const QString& uuid)
{
    return joinedLines({
        QStringLiteral("tell application \"Aperture\""),
        QStringLiteral("\ttell image version id ") + quoted(uuid)
            + QStringLiteral(" to make new keyword with properties {name:\"Duplicate\"}"),
        QStringLiteral("end tell"),
    });
}

QString apertureMarkDuplicateInImportGroupScript(const QString& fileName, const QString& importGroup)
{
    return joinedLines({
        QStringLiteral("set fileName to ") + quoted(fileName),
        QStringLiteral("set importGroup to ") + quoted(importGroup),
        QStringLiteral("tell application \"Aperture\""),
        QStringLiteral("\ttell (every image version whose value of other tag \"FileName\" is equal to fileName and "
                       "value of other tag \"ImportGroup\" is equal to importGroup)"),
        QStringLiteral("\t\tmake new keyword with properties {name:\"Duplicate\"}"),
        QStringLiteral("\tend tell"),
        QStringLiteral("end tell"),
    });
}

} // namespace pairsift
