#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace pairsift {

// Where this system keeps what other platforms hold as a file's resource fork and Finder information.
inline constexpr char resourceForkAttribute[] = "user.com.apple.ResourceFork";
inline constexpr char finderInfoAttribute[] = "user.com.apple.FinderInfo";

// The whole value of the attribute `name` of the item at `path` (symbolic links followed). A missing
// attribute reads as empty; std::nullopt (with `error`) when the item or the attribute cannot be read.
std::optional<QByteArray> readExtendedAttribute(const QString& path, const char* name, Error* error = nullptr);

// Replaces the whole value in one call, so a reader sees the old value or the new one. Fails with a
// clear error where the file system has no user attributes or refuses a value of this size.
bool writeExtendedAttribute(const QString& path, const char* name, const QByteArray& value, Error* error = nullptr);

} // namespace pairsift
