#include "model/FileChunkReader.h"

#include "platform/ConsoleLog.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {

namespace {

struct FreeBuffer {
    void operator()(std::byte* buffer) const { std::free(buffer); }
};

// One buffer per hashing thread, made on its first file and kept until the thread ends. Page-aligned so
// the kernel copies whole pages.
std::byte* threadChunkBuffer()
{
    thread_local std::unique_ptr<std::byte, FreeBuffer> buffer(
        static_cast<std::byte*>(std::aligned_alloc(4096, FileItem::ChunkSize)));
    return buffer.get();
}

} // namespace

FileChunkReader::FileChunkReader(const FileItem& file, const LocationFolders* folders)
    : FileChunkReader(file, openContent(file, folders))
{
}

FileChunkReader::FileChunkReader(const FileItem& file, const OpenedContent& content)
    : m_file(file)
    , m_size(file.totalSize())
{
    m_descriptor = content.descriptor;
    m_openFailure = content.failure;
    m_buffer = threadChunkBuffer();
    if (!m_buffer) {
        close();
        m_openFailure = qt_error_string(ENOMEM);
        return;
    }
    const std::optional<FileId> identity = file.fileId();
    m_isRecordedFile = m_descriptor >= 0 && identity && content.id == *identity && content.size == m_size;
    // A file that fits one read gains nothing from read-ahead advice.
    if (m_isRecordedFile && m_size > static_cast<quint64>(FileItem::ChunkSize))
        ::posix_fadvise(m_descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
}

FileChunkReader::~FileChunkReader()
{
    close();
}

qsizetype FileChunkReader::readChunk()
{
    const qsizetype wanted = static_cast<qsizetype>(std::min<quint64>(FileItem::ChunkSize, m_size - m_offset));
    // The last chunk asks for one byte more than is left: getting it means the file grew, and a read
    // that comes back short has met the end of the file, which a regular file's read does only there.
    // So growth costs no status call of its own. Short reads before that are read on, for a file system
    // that returns less than asked.
    const qsizetype asked = wanted < FileItem::ChunkSize ? wanted + 1 : wanted;
    qsizetype filled = 0;
    while (filled < asked) {
        const ssize_t count = ::read(m_descriptor, m_buffer + filled, static_cast<size_t>(asked - filled));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            m_readError = errno;
            return -1;
        }
        if (count == 0)
            break;
        filled += count;
        if (filled == wanted && asked > wanted)
            break;
    }
    if (filled != wanted)
        return ChangedChunk;
    m_offset += static_cast<quint64>(filled);
    return filled;
}

ChunkReadOutcome FileChunkReader::fail(void (FileChunkReader::*log)() const)
{
    (this->*log)();
    close();
    return ChunkReadOutcome::ReadFailed;
}

void FileChunkReader::close()
{
    if (m_descriptor >= 0) {
        ::close(m_descriptor); // never retried: on Linux the descriptor is gone even after EINTR
        m_descriptor = -1;
    }
}

void FileChunkReader::logOpenFailure() const
{
    consoleLog("Unable to open file '%s': %@", QFile::encodeName(m_file.name()), m_openFailure);
}

void FileChunkReader::logReadFailure() const
{
    consoleLog("Error reading file '%s': %@", QFile::encodeName(m_file.name()), qt_error_string(m_readError));
}

void FileChunkReader::logChange() const
{
    consoleLog("Error reading file '%s': it is no longer the file that was counted", QFile::encodeName(m_file.name()));
}

} // namespace pairsift
