#pragma once

#include <atomic>
#include <functional>
#include <mutex>

struct sqlite3_vfs;

namespace pairsift::test {

// A disk that can run out of space, for the store: while the object lives it is SQLite's default file
// system, passing everything to the real one, except that once setFull(true) is called every write
// fails as on a full disk. Only connections opened after it was made use it.
class FullDisk {
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // Any thread.
    void setFull(bool isFull) { m_isFull.store(isFull); }
    // Full from the first write for which `isFull` answers true (asked on the writing thread) on.
    void setFullWhen(std::function<bool()> isFull);
    bool isFull();

private:
    std::atomic<bool> m_isFull{false};
    std::mutex m_conditionMutex;
    std::function<bool()> m_condition;
    sqlite3_vfs* m_real = nullptr;
};

} // namespace pairsift::test
