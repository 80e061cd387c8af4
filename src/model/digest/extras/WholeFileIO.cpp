#include "model/digest/extras/WholeFileIO.h"

#include "platform/ConsoleLog.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {

namespace {

constexpr int ioFailure = 5;
constexpr int outOfMemory = 12;

// A regular file takes everything in one call up to the kernel's per-call limit; the loop only
// carries on past that limit (and past signals), so a partial transfer means the file stopped.
template <typename Transfer>
std::size_t transferAll(Transfer transfer, std::size_t length, bool& failed)
{
    std::size_t done = 0;
    failed = false;
    while (done < length) {
        const ssize_t count = transfer(done, length - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            failed = count < 0;
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    return done;
}

// What a transfer that was to move `length` bytes answers: a transfer that moved some bytes and then
// stopped, or met the end of the file, is a short one and says so on the console.
int transferResult(std::size_t done, std::size_t length, bool failed, const char* shortText)
{
    if (done == length)
        return 0;
    if (done > 0 || !failed)
        consoleLog(shortText);
    return ioFailure;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : m_descriptor(descriptor) {}
    ~FileDescriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_descriptor; }
    // Closes now and tells whether the data reached the file system.
    bool close()
    {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

} // namespace

int writeFile(const char* path, const void* bytes, std::size_t length)
{
    FileDescriptor file(::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (file.get() < 0)
        return errno;
    if (::lseek(file.get(), 0, SEEK_SET) < 0)
        return errno;
    bool failed = false;
    const auto* source = static_cast<const std::uint8_t*>(bytes);
    const std::size_t written = transferAll(
        [&](std::size_t offset, std::size_t count) { return ::write(file.get(), source + offset, count); }, length,
        failed);
    if (const int result = transferResult(written, length, failed, "writeFile: short write"); result != 0)
        return result;
    // A late write error (a full disk on a network file system) shows up only here.
    return file.close() ? 0 : ioFailure;
}

int readFile(const char* path, std::uint8_t** bytes, std::size_t* length)
{
    FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return errno;
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return errno;
    const auto size = static_cast<std::size_t>(status.st_size);
    // malloc(0) may answer null, which is no allocation failure.
    auto* buffer = static_cast<std::uint8_t*>(std::malloc(size > 0 ? size : 1));
    if (!buffer)
        return outOfMemory;
    bool failed = false;
    const std::size_t done = transferAll(
        [&](std::size_t offset, std::size_t count) { return ::read(file.get(), buffer + offset, count); }, size, failed);
    if (const int result = transferResult(done, size, failed, "readFile: short read"); result != 0) {
        std::free(buffer);
        return result;
    }
    *bytes = buffer;
    *length = size;
    return 0;
}

} // namespace pairsift
