#pragma once

#include <QString>
#include <QStringList>

namespace pairsift {

// Packages are folders that the desktop shows as one file: applications, photo libraries, document
// packages. Linux has no package bit, so a folder is a package when its extension is in one shared list.
// Every package question in the program goes through this class, so the scan, the locations list and
// container detection always agree.
class PackageTypes {
public:
    // The built-in extensions, lower case.
    static QStringList defaultExtensions();

    // The list in use, process-wide. Tests replace it; an empty list means "no packages at all".
    static QStringList extensions();
    // Replaces the list in use (compared without regard to case); returns the previous one.
    static QStringList setExtensions(const QStringList& extensions);

    // True when the last component's extension is in the list. Looks at the name only.
    static bool hasPackageExtension(const QString& path);
    // The extensions photo libraries have, lower case; part of the built-in list.
    static QStringList photoLibraryExtensions();
    // A package named as a photo library is (its Info.plist says whether it is one). Looks at the name only.
    static bool hasPhotoLibraryExtension(const QString& path);
    // True when the path is a folder (symbolic links followed) whose extension is in the list.
    // A missing path gives false.
    static bool isPackage(const QString& path);
};

// The last component of a path, trailing "/" ignored ("a/b.app/" gives "b.app").
QString lastPathComponent(const QString& path);
// The text after the last dot of the last component; empty when it has no dot.
QString pathExtension(const QString& path);

} // namespace pairsift
