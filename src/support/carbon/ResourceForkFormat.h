#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace pairsift {

// One resource of a classic resource fork.
struct Resource {
    quint32 type = 0;
    qint16 id = 0;
    // The name's bytes in the fork's encoding (CarbonStrings.h); empty for a resource without a name.
    QByteArray name;
    quint8 attributes = 0;
    QByteArray data;

    bool operator==(const Resource&) const = default;
};

// What a fork holds, resources grouped by type in the order the types first appear.
struct ResourceForkContents {
    quint16 attributes = 0;
    QList<Resource> resources;

    bool operator==(const ResourceForkContents&) const = default;
};

// The distinct types of `contents` in the order they first appear.
QList<quint32> resourceTypes(const ResourceForkContents& contents);

// Reads the classic layout: a 16-byte header (data offset, map offset, data length, map length), the
// data area (each resource a 4-byte length and its bytes), and the map (a copy of the header, 6 unused
// bytes, the fork attributes, the type list and name list offsets, the type list, the reference lists
// and the name list). The bytes are untrusted: every offset, count and length is checked against the
// area it points into, and anything that does not fit gives std::nullopt.
std::optional<ResourceForkContents> parseResourceFork(const QByteArray& bytes);

// Writes the same layout with the data at offset 256 (the 240 bytes after the header left zero) and the
// map after it; parseResourceFork() reads it back as it was. Fails when the contents exceed what the
// layout's 24-bit data offsets and 16-bit map offsets can address.
std::optional<QByteArray> serializeResourceFork(const ResourceForkContents& contents, Error* error = nullptr);

} // namespace pairsift
