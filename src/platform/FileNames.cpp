#include "platform/FileNames.h"

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace pairsift {

QByteArray leadingBytes(const QByteArray& name, qsizetype length)
{
    if (length >= name.size())
        return name;
    // A byte 10xxxxxx continues a character: the cut moves before the character it belongs to.
    while (length > 0 && (static_cast<unsigned char>(name.at(length)) & 0xC0) == 0x80)
        --length;
    return name.left(qMax<qsizetype>(length, 0));
}

bool renameWithoutReplacing(int fromFolder, const char* from, int toFolder, const char* to)
{
    if (::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL || ::linkat(fromFolder, from, toFolder, to, 0) != 0)
        return false;
    ::unlinkat(fromFolder, from, 0);
    return true;
}

} // namespace pairsift
