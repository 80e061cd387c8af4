#include "testkit/FullDisk.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace pairsift::test {

namespace {

// The one disk registered at a time, and its real file system.
FullDisk* currentDisk = nullptr;
sqlite3_vfs* realVfs = nullptr;

// A file of the shim: the real file's object follows it in the same allocation.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* realFile(sqlite3_file* file)
{
    return reinterpret_cast<ShimFile*>(file)->real;
}

int shimClose(sqlite3_file* file)
{
    sqlite3_file* real = realFile(file);
    return real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
}

int shimRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    return realFile(file)->pMethods->xRead(realFile(file), buffer, amount, offset);
}

int shimWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    if (currentDisk && currentDisk->isFull())
        return SQLITE_FULL;
    return realFile(file)->pMethods->xWrite(realFile(file), buffer, amount, offset);
}

int shimTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    return realFile(file)->pMethods->xTruncate(realFile(file), size);
}

int shimSync(sqlite3_file* file, int flags)
{
    return realFile(file)->pMethods->xSync(realFile(file), flags);
}

int shimFileSize(sqlite3_file* file, sqlite3_int64* size)
{
    return realFile(file)->pMethods->xFileSize(realFile(file), size);
}

int shimLock(sqlite3_file* file, int level)
{
    return realFile(file)->pMethods->xLock(realFile(file), level);
}

int shimUnlock(sqlite3_file* file, int level)
{
    return realFile(file)->pMethods->xUnlock(realFile(file), level);
}

int shimCheckReservedLock(sqlite3_file* file, int* result)
{
    return realFile(file)->pMethods->xCheckReservedLock(realFile(file), result);
}

int shimFileControl(sqlite3_file* file, int operation, void* argument)
{
    return realFile(file)->pMethods->xFileControl(realFile(file), operation, argument);
}

int shimSectorSize(sqlite3_file* file)
{
    return realFile(file)->pMethods->xSectorSize(realFile(file));
}

int shimDeviceCharacteristics(sqlite3_file* file)
{
    return realFile(file)->pMethods->xDeviceCharacteristics(realFile(file));
}

// Version 1: no shared memory and no memory mapping, so every write goes through shimWrite.
const sqlite3_io_methods shimMethods = {1, shimClose, shimRead, shimWrite, shimTruncate, shimSync, shimFileSize,
    shimLock, shimUnlock, shimCheckReservedLock, shimFileControl, shimSectorSize, shimDeviceCharacteristics,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

int shimOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    shim->base.pMethods = nullptr;
    const int result = realVfs->xOpen(realVfs, name, shim->real, flags, outFlags);
    if (result == SQLITE_OK)
        shim->base.pMethods = &shimMethods;
    return result;
}

sqlite3_vfs shimVfs;

} // namespace

FullDisk::FullDisk()
{
    EXPECT_EQ(currentDisk, nullptr) << "one full disk at a time";
    m_real = sqlite3_vfs_find(nullptr);
    realVfs = m_real;
    shimVfs = *m_real;
    shimVfs.zName = "pairsift-full-disk";
    shimVfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + m_real->szOsFile;
    shimVfs.xOpen = shimOpen;
    shimVfs.pNext = nullptr;
    currentDisk = this;
    EXPECT_EQ(sqlite3_vfs_register(&shimVfs, 1), SQLITE_OK);
}

void FullDisk::setFullWhen(std::function<bool()> isFull)
{
    const std::lock_guard lock(m_conditionMutex);
    m_condition = std::move(isFull);
}

bool FullDisk::isFull()
{
    if (m_isFull.load())
        return true;
    const std::lock_guard lock(m_conditionMutex);
    if (m_condition && m_condition())
        m_isFull.store(true);
    return m_isFull.load();
}

FullDisk::~FullDisk()
{
    sqlite3_vfs_unregister(&shimVfs);
    sqlite3_vfs_register(m_real, 1);
    currentDisk = nullptr;
}

} // namespace pairsift::test
