#pragma once

#include "model/ContentOpen.h"
#include "model/FileItem.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>

namespace pairsift {

// How a chunked read of one file ended.
enum class ChunkReadOutcome {
    Finished,   // the last (short, possibly empty) chunk was consumed
    Stopped,    // the progress block asked to stop; the chunk it saw had been consumed
    OpenFailed,
    ReadFailed, // a read error, or the file is no longer the one counting recorded
};

// The reading loop both digests share: chunks of FileItem::ChunkSize bytes into one per-thread buffer
// (no allocation per chunk or per file), the first chunk shorter than that, 0 bytes included, being the
// last. Only the file counting recorded is read: it is opened as openContent() says (below its location,
// no link followed) and must have the recorded identity and size, reading stops at that size, and a file
// that grew or shrank meanwhile fails like a read error. So a path swapped for a link or a hard link to
// another counted file can never be hashed as that other file. Failures are written to the console log
// with their reason; the file is closed on every path. The buffer's bytes are consumed before the progress call, so a progress
// block may itself read files.
class FileChunkReader {
public:
    // An item without a recorded identity cannot be read. `folders` may be null.
    FileChunkReader(const FileItem& file, const LocationFolders* folders);
    // Reads a file opened elsewhere; the reader takes the descriptor and closes it.
    FileChunkReader(const FileItem& file, const OpenedContent& content);
    ~FileChunkReader();

    FileChunkReader(const FileChunkReader&) = delete;
    FileChunkReader& operator=(const FileChunkReader&) = delete;

    // Calls consume(bytes, count, isLast) for every chunk, then `progress` (when given) with the bytes
    // read so far and the recorded size.
    template <typename Consume>
    ChunkReadOutcome run(const HashProgressBlock& progress, Consume&& consume)
    {
        if (m_descriptor < 0) {
            logOpenFailure();
            return ChunkReadOutcome::OpenFailed;
        }
        if (!m_isRecordedFile)
            return fail(&FileChunkReader::logChange);
        quint64 bytesDone = 0;
        for (;;) {
            const qsizetype count = readChunk();
            if (count < 0)
                return fail(count == ChangedChunk ? &FileChunkReader::logChange : &FileChunkReader::logReadFailure);
            const bool isLast = count < FileItem::ChunkSize;
            consume(m_buffer, count, isLast);
            bytesDone += static_cast<quint64>(count);
            if (progress) {
                bool stop = false;
                progress(bytesDone, m_size, &stop);
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
    // readChunk()'s answer when the file ended before its recorded size or goes on past it.
    static constexpr qsizetype ChangedChunk = -2;

    // Fills the buffer with the next whole chunk, or with what is left up to the recorded size; -1 on a
    // read error, ChangedChunk when the file ends early or is now larger than the recorded size.
    qsizetype readChunk();
    ChunkReadOutcome fail(void (FileChunkReader::*log)() const);
    void close();
    void logOpenFailure() const;
    void logReadFailure() const;
    void logChange() const;

    const FileItem& m_file;
    QString m_openFailure;
    int m_readError = 0;
    int m_descriptor = -1;
    bool m_isRecordedFile = false;
    quint64 m_size = 0;
    quint64 m_offset = 0;
    std::byte* m_buffer = nullptr;
};

} // namespace pairsift
