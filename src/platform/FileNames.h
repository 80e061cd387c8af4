#pragma once

#include <QByteArray>

namespace pairsift {

// The longest name (in bytes) a Linux file system takes for one entry.
constexpr qsizetype maximumNameLength = 255;

// At most `length` leading bytes of a name, cut before a character rather than inside one (names are
// UTF-8), so that a shortened name is still one the walk can read.
QByteArray leadingBytes(const QByteArray& name, qsizetype length);

// Renames `from` in one folder to `to` in another on the same volume, never replacing what exists at `to`
// (fails with EEXIST instead). A file system without that flag gets a hard link and an unlink, which refuse
// to replace just the same. False with errno set when it failed; nothing has moved then.
bool renameWithoutReplacing(int fromFolder, const char* from, int toFolder, const char* to);

} // namespace pairsift
