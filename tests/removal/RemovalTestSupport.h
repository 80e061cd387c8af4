#pragma once

#include "removal/FileRemover.h"
#include "testkit/EventLoopWait.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pairsift::test {

// Every removal test runs with HOME and XDG_DATA_HOME in a temporary folder, set before main() so that the
// Trash only ever is the temporary one. The user's own Trash is never touched.
QString isolatedHome();
// The disk steps of removal with the desktop Trash, which the isolated home holds.
RemovalFileSystem desktopFileSystem();
// The same with `before` asked first with the file's path: false fails the move as a Trash that refuses it.
RemovalFileSystem desktopFileSystemAfter(std::function<bool(const QString& path, Error* error)> before);
// $XDG_DATA_HOME/Trash of the isolated home.
QString trashFolder();

// What one file in the Trash records.
struct TrashedFile {
    QString originalPath;
    QByteArray content;
};

// The files in the Trash. A file whose .trashinfo is missing or malformed (header, Path, DeletionDate)
// fails the calling test.
QList<TrashedFile> trashedFiles();
// The original paths of trashedFiles() below `folder`, sorted.
QStringList trashedPaths(const QString& folder);

// The names in a folder, hidden ones included, sorted.
QStringList folderEntries(const QString& folder);

// The target of the symbolic link at `path`, null when it is not one.
QString linkTarget(const QString& path);

} // namespace pairsift::test
