#pragma once

#include <QString>
#include <QStringList>

namespace pairsift {

// The operating system's own areas: never scanned, never accepted as a location. Every test is a
// case-sensitive comparison of the path as written. A prefix covers itself and what lies below it, by
// whole components ("/bin" covers "/bin/ls", never "/binaries"); a suffix covers only a path that itself
// ends in it, not a path inside such a folder. An exception (and what lies below it) is never covered,
// whatever prefix it sits under: removable drives are mounted below "/run".
struct SystemPathTable {
    QStringList prefixes; // home-relative entries already expanded
    QStringList suffixes;
    QStringList exceptions;

    // The built-in table, with "~/" entries expanded against `homeFolder` (left as written when empty).
    static SystemPathTable standard(const QString& homeFolder);

    bool contains(const QString& path) const;
};

// The table isSystemPath() uses, process-wide: standard() for the user's home folder until replaced.
SystemPathTable systemPathTable();
// Replaces the process-wide table (tests that scan a temporary folder under /tmp); returns the previous one.
SystemPathTable setSystemPathTable(SystemPathTable table);

bool isSystemPath(const QString& path);

// True when `path` is `folder` or lies below it, compared by whole components ("/tmp" holds "/tmp/x",
// never "/tmpdata").
bool isPathAtOrBelow(const QString& path, const QString& folder);
// What follows `folder` and its "/" in `path`, which must be at or below it; empty for `folder` itself.
QString pathBelow(const QString& path, const QString& folder);

// True when the path's extension names an image type (or a type derived from one). Looks at the name only;
// no extension gives false.
bool isImagePath(const QString& path);

// True when a package (a folder shown as one file) is at the path; a missing path gives false.
bool isBundle(const QString& path);

} // namespace pairsift
