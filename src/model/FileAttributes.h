#pragma once

#include "model/FileId.h"

#include <QString>

#include <optional>

struct statx;

namespace pairsift {

// What the file system says about one path, read in one call.
struct FileAttributes {
    quint64 size = 0;
    // Milliseconds since 1970.
    qint64 creationMSecs = 0;
    FileId id;
    // The type and permission bits (st_mode).
    quint32 mode = 0;

    bool isRegularFile() const;
};

// The attributes of the item at `path` itself (a final symbolic link is not followed); nothing when they
// cannot be read, with the reason (an errno value) in `error` when given.
std::optional<FileAttributes> readFileAttributes(const QString& path, int* error = nullptr);
// The same for the entry `name` of the open folder `folder`.
std::optional<FileAttributes> readFileAttributesAt(int folder, const char* name, int* error = nullptr);

// The creation date of a statx record: the birth time where the file system keeps one, else the
// modification time.
qint64 creationMSecsOf(const struct statx& status);

} // namespace pairsift
