#pragma once

#include <sys/types.h>

#include <mutex>
#include <unordered_map>

namespace pairsift {

// Tells the folders on a pseudo or virtual file system (process and kernel state, device nodes, automount
// points) wherever they are mounted: their entries are no user files, and reading some of them has
// effects. One per walk, since mounts change between walks; any thread.
class PseudoFileSystems {
public:
    // The file system's name when the open folder `descriptor`, on `device`, is on such a file system;
    // null when it is not or cannot be told.
    const char* nameOf(int descriptor, dev_t device);

private:
    // Device nodes live on a tmpfs of their own that only the mount table tells from a plain one.
    bool isDeviceFileSystem(dev_t device);

    std::mutex m_mutex;
    std::unordered_map<dev_t, bool> m_isDeviceFileSystem;
};

} // namespace pairsift
