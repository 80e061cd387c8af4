#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

namespace pairsift {

// Bookmark data keeps a scan location across launches. Here it is a small versioned blob holding the
// location's absolute path: the magic "PSBK", one version byte, the path's UTF-8 length as a 32-bit
// big-endian number, then the UTF-8 bytes.

inline constexpr const char* bookmarkDataErrorDomain = "BookmarkData";

enum class BookmarkDataError {
    NotAbsolute = 1,
    Truncated = 2,
    UnknownFormat = 3,
    UnsupportedVersion = 4,
    InvalidPath = 5,
};

// The blob for an absolute path (taken as given: callers pass canonical paths); null with `error`
// filled for an empty, relative or NUL-holding path.
QByteArray makeBookmarkData(const QString& path, Error* error = nullptr);

// The path held by a blob; null with `error` filled when the data is not a blob of a known version or
// does not hold an absolute UTF-8 path.
QString resolveBookmarkData(const QByteArray& data, Error* error = nullptr);

// Data as the console log shows it: "<" hex bytes in groups of four ">".
QString describeData(const QByteArray& data);

} // namespace pairsift
