#include "removal/RemovalCheckedFolder.h"

#include "model/ContentOpen.h"
#include "support/foundation/PathClassification.h"

namespace pairsift {

bool RemovalCheckedFolder::open(const QString& root, const QString& path)
{
    m_root = isPathAtOrBelow(path, root) ? root : QStringLiteral("/");
    m_path = path;
    m_folder.reset(openFolderBelow(m_root, m_path));
    if (m_folder.isOpen() && ::fstat(m_folder.get(), &m_status) != 0)
        m_folder.reset();
    return m_folder.isOpen();
}

bool RemovalCheckedFolder::isAtItsPath() const
{
    const FileDescriptor folder(openFolderBelow(m_root, m_path));
    struct stat status {};
    return folder.isOpen() && ::fstat(folder.get(), &status) == 0 && status.st_dev == m_status.st_dev
        && status.st_ino == m_status.st_ino;
}

} // namespace pairsift
