#include "removal/RemovalCheckedFolder.h"

#include "model/ContentOpen.h"
#include "support/foundation/PathClassification.h"

#include <QFile>

#include <fcntl.h>

namespace pairsift {
namespace {

bool isSameFolder(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool RemovalCheckedFolder::open(const QString& root, const QString& path)
{
    const QString from = isPathAtOrBelow(path, root) ? root : QStringLiteral("/");
    m_rootPath = QFile::encodeName(from);
    m_below = QFile::encodeName(pathBelow(path, from));
    m_root.reset(openLocationFolder(from));
    if (!m_root.isOpen() || ::fstat(m_root.get(), &m_rootStatus) != 0) {
        m_root.reset();
        return false;
    }
    m_folder.reset(m_below.isEmpty() ? ::fcntl(m_root.get(), F_DUPFD_CLOEXEC, 0) : openFolderBeneath(m_root.get(), m_below));
    if (m_folder.isOpen() && ::fstat(m_folder.get(), &m_status) != 0)
        m_folder.reset();
    return m_folder.isOpen();
}

bool RemovalCheckedFolder::isAtItsPath() const
{
    struct stat root {};
    if (::fstatat(AT_FDCWD, m_rootPath.constData(), &root, AT_SYMLINK_NOFOLLOW) != 0 || !isSameFolder(root, m_rootStatus))
        return false;
    if (m_below.isEmpty())
        return true;
    const FileDescriptor folder(openFolderBeneath(m_root.get(), m_below));
    struct stat status {};
    return folder.isOpen() && ::fstat(folder.get(), &status) == 0 && isSameFolder(status, m_status);
}

} // namespace pairsift
