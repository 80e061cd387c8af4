#include "scan/PseudoFileSystems.h"

#include <QByteArray>
#include <QFile>

#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cerrno>

namespace pairsift {

namespace {

// Not in every version of <linux/magic.h>.
constexpr unsigned long configfsMagic = 0x62656570;
constexpr unsigned long fusectlMagic = 0x65735543;
constexpr unsigned long mqueueMagic = 0x19800202;

const char* pseudoTypeName(unsigned long type)
{
    static const struct {
        unsigned long type;
        const char* name;
    } pseudoTypes[] = {
        {PROC_SUPER_MAGIC, "proc"}, {SYSFS_MAGIC, "sysfs"}, {DEVPTS_SUPER_MAGIC, "devpts"},
        {CGROUP_SUPER_MAGIC, "cgroup"}, {CGROUP2_SUPER_MAGIC, "cgroup2"}, {DEBUGFS_MAGIC, "debugfs"},
        {TRACEFS_MAGIC, "tracefs"}, {SECURITYFS_MAGIC, "securityfs"}, {PSTOREFS_MAGIC, "pstore"},
        {BPF_FS_MAGIC, "bpf"}, {configfsMagic, "configfs"}, {fusectlMagic, "fusectl"}, {mqueueMagic, "mqueue"},
        {HUGETLBFS_MAGIC, "hugetlbfs"}, {EFIVARFS_MAGIC, "efivarfs"}, {AUTOFS_SUPER_MAGIC, "autofs"},
        {BINFMTFS_MAGIC, "binfmt_misc"},
    };
    for (const auto& pseudo : pseudoTypes) {
        if (pseudo.type == type)
            return pseudo.name;
    }
    return nullptr;
}

} // namespace

const char* PseudoFileSystems::nameOf(int descriptor, dev_t device)
{
    struct statfs fileSystem {};
    int result;
    do {
        result = ::fstatfs(descriptor, &fileSystem);
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        return nullptr;
    const auto type = static_cast<unsigned long>(fileSystem.f_type);
    if (type == TMPFS_MAGIC)
        return isDeviceFileSystem(device) ? "devtmpfs" : nullptr;
    return pseudoTypeName(type);
}

bool PseudoFileSystems::isDeviceFileSystem(dev_t device)
{
    const std::lock_guard lock(m_mutex);
    const auto known = m_isDeviceFileSystem.find(device);
    if (known != m_isDeviceFileSystem.end())
        return known->second;
    // A mount line reads "id parent major:minor root mount-point options [tags] - type source options".
    const QByteArray deviceField = QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    bool isDevtmpfs = false;
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (mounts.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : mounts.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            const qsizetype separator = fields.indexOf("-");
            if (fields.size() > 2 && fields[2] == deviceField && separator > 0 && separator + 1 < fields.size()) {
                isDevtmpfs = fields[separator + 1] == "devtmpfs";
                break;
            }
        }
    }
    m_isDeviceFileSystem.emplace(device, isDevtmpfs);
    return isDevtmpfs;
}

} // namespace pairsift
