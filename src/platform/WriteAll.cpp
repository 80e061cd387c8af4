#include "platform/WriteAll.h"

#include <cerrno>

#include <unistd.h>

namespace pairsift {

bool writeAll(int fileDescriptor, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fileDescriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace pairsift
