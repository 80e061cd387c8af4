#include "support/foundation/AliasResolution.h"

#include <QFile>

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {

namespace {

constexpr int maximumLinksFollowed = 16;

bool isSymbolicLink(const QByteArray& path)
{
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

QByteArray linkTarget(const QByteArray& link)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(link.constData(), buffer, sizeof buffer);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof buffer))
        return {};
    QByteArray target(buffer, length);
    if (target.startsWith('/'))
        return target;
    const qsizetype slash = link.lastIndexOf('/');
    return (slash < 0 ? QByteArray() : link.left(slash + 1)) + target;
}

} // namespace

std::optional<QByteArray> symbolicLinkTarget(const QByteArray& path)
{
    if (!isSymbolicLink(path))
        return std::nullopt;
    return linkTarget(path);
}

QString followAliasChain(const QString& path, const AliasLink& link)
{
    QByteArray current = QFile::encodeName(path);
    if (current.isEmpty())
        return {};
    std::optional<QByteArray> next = link(current);
    if (!next)
        return {};
    for (int followed = 0; next; ++followed) {
        if (followed == maximumLinksFollowed || next->isEmpty())
            return {};
        current = *next;
        next = link(current);
    }
    char resolved[PATH_MAX];
    if (!::realpath(current.constData(), resolved))
        return {};
    return QFile::decodeName(resolved);
}

QString pathResolved(const QString& path)
{
    return followAliasChain(path, symbolicLinkTarget);
}

bool isAliasPath(const QString& path)
{
    return !pathResolved(path).isNull();
}

QString resolveAliasPath(const QString& path)
{
    const QString resolved = pathResolved(path);
    return resolved.isNull() ? path : resolved;
}

} // namespace pairsift
