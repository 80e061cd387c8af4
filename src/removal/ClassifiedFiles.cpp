#include "removal/ClassifiedFiles.h"

#include "photolibs/ContainerType.h"

#include <QStringList>

namespace pairsift {
namespace {

QString describeFiles(const QList<FileItemPtr>& files)
{
    QStringList names;
    for (const FileItemPtr& file : files)
        names.append(file->description());
    return QLatin1Char('(') + names.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString describeLibraries(const QMap<QString, QList<FileItemPtr>>& libraries)
{
    QStringList entries;
    for (auto library = libraries.cbegin(); library != libraries.cend(); ++library)
        entries.append(QLatin1Char('"') + library.key() + QStringLiteral("\" = ") + describeFiles(library.value()));
    return QLatin1Char('{') + entries.join(QStringLiteral("; ")) + QLatin1Char('}');
}

} // namespace

ClassifiedFiles ClassifiedFiles::classifyFiles(const QList<FileItemPtr>& files)
{
    ClassifiedFiles classified;
    for (const FileItemPtr& file : files) {
        if (file->isRegularFile())
            classified.directory.append(file);
        else if (file->isiPhotoFile())
            classified.iPhoto[file->containerPath()].append(file);
        else if (file->isApertureFile())
            classified.aperture[file->containerPath()].append(file);
    }
    return classified;
}

QString ClassifiedFiles::description() const
{
    return QStringLiteral("{%1 = %2; %3 = %4; %5 = %6}")
        .arg(containerTypeDirectory, describeFiles(directory), containerTypeiPhoto, describeLibraries(iPhoto),
            containerTypeAperture, describeLibraries(aperture));
}

} // namespace pairsift
