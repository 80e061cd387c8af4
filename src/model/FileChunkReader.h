#pragma once

#include "model/FileItem.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace pairsift {

// Opens a file read-only and close-on-exec, retrying after a signal; -1 when it cannot be opened. Never
// blocks: a path that has become a pipe without a writer opens at once.
int openReadOnly(const QByteArray& encodedPath);

// How a chunked read of one file ended.
enum class ChunkReadOutcome {
    Finished,   // the last (short, possibly empty) chunk was consumed
    Stopped,    // the progress block asked to stop; the chunk it saw had been consumed
    OpenFailed,
    ReadFailed,
};

// The reading loop both digests share: chunks of FileItem::ChunkSize bytes into one per-thread buffer
// (no allocation per chunk or per file), the first chunk shorter than that, 0 bytes included, being the
// last. Open and read failures are written to the console log; the file is closed on every path. A path
// that is no longer a regular file (replaced since it was counted) fails like a read error.
// The buffer's bytes are consumed before the progress call, so a progress block may itself read files.
class FileChunkReader {
public:
    explicit FileChunkReader(const QString& path);
    ~FileChunkReader();

    FileChunkReader(const FileChunkReader&) = delete;
    FileChunkReader& operator=(const FileChunkReader&) = delete;

    // Calls consume(bytes, count, isLast) for every chunk, then `progress` (when given) with the bytes
    // read so far and `totalSize`.
    template <typename Consume>
    ChunkReadOutcome run(quint64 totalSize, const HashProgressBlock& progress, Consume&& consume)
    {
        if (m_descriptor < 0) {
            logOpenFailure();
            return ChunkReadOutcome::OpenFailed;
        }
        if (!m_isRegularFile) {
            logReadFailure();
            close();
            return ChunkReadOutcome::ReadFailed;
        }
        quint64 bytesDone = 0;
        for (;;) {
            const qsizetype count = readChunk();
            if (count < 0) {
                logReadFailure();
                close();
                return ChunkReadOutcome::ReadFailed;
            }
            const bool isLast = count < FileItem::ChunkSize;
            consume(m_buffer, count, isLast);
            bytesDone += static_cast<quint64>(count);
            if (progress) {
                bool stop = false;
                progress(bytesDone, totalSize, &stop);
                if (stop) {
                    close();
                    return ChunkReadOutcome::Stopped;
                }
            }
            if (isLast) {
                close();
                return ChunkReadOutcome::Finished;
            }
        }
    }

private:
    // Fills the buffer up to a whole chunk (a short count only at the end of the file); -1 on error.
    qsizetype readChunk();
    void close();
    void logOpenFailure() const;
    void logReadFailure() const;

    QByteArray m_path;
    int m_descriptor = -1;
    bool m_isRegularFile = false;
    // The size when the file was opened, and what has been read of it: a short read that reaches that
    // size is the end, so a small file takes one read instead of two.
    quint64 m_sizeAtOpen = 0;
    quint64 m_offset = 0;
    std::byte* m_buffer = nullptr;
};

} // namespace pairsift
