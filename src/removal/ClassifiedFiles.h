#pragma once

#include "model/FileItem.h"

#include <QList>
#include <QMap>
#include <QString>

namespace pairsift {

// The files of a removal run by container: plain-folder files, and the files of each photo library keyed by
// the library's path. Every list keeps the input order; a file of no known container is in none of them.
struct ClassifiedFiles {
    QList<FileItemPtr> directory;
    QMap<QString, QList<FileItemPtr>> iPhoto;
    QMap<QString, QList<FileItemPtr>> aperture;

    static ClassifiedFiles classifyFiles(const QList<FileItemPtr>& files);

    // The three entries keyed by container type, for the console.
    QString description() const;
};

} // namespace pairsift
