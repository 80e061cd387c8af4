#pragma once

#include "model/FileGrouping.h"

#include <QStringList>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace pairsift {

// One file's content as a stage loop sees it: its key (nothing when it could not be read or the read
// was stopped before its last chunk), and whether a progress call asked to stop during the read.
struct StageContent {
    std::optional<FileGroupKey> key;
    bool cancelled = false;
};

// Called on the loop's thread after each chunk with the bytes read so far and the file's size; true
// asks to stop.
using ChunkDoneBlock = std::function<bool(quint64 bytesDone, quint64 bytesTotal)>;

// Computes the content keys of a stage's files on helper threads that claim files in order ahead of the
// loop, each file by one thread. The loop takes the files back in order: take() replays the file's chunk
// progress as the reads advance, then writes the file's console lines on the loop's thread, so the
// outside sees what a read on the loop's own thread would have shown. A stop is a flag the helpers
// check after every chunk; whatever they computed past it is dropped with this object.
class StageReadAhead {
public:
    using ContentKey = std::function<std::optional<FileGroupKey>(const FileItem&, const HashProgressBlock&)>;

    // `contentKey` reports a progress call after every whole FileItem::ChunkSize chunk. At least one
    // reader, or nothing is ever read.
    StageReadAhead(std::vector<FileItemPtr> files, int readerCount, ContentKey contentKey);
    // Stops the helpers and waits for them: each ends within one chunk.
    ~StageReadAhead();

    StageReadAhead(const StageReadAhead&) = delete;
    StageReadAhead& operator=(const StageReadAhead&) = delete;

    // The file at `index`; indexes are taken in increasing order. After a stop asked by `chunkDone`,
    // the helpers stop too.
    StageContent take(std::size_t index, const ChunkDoneBlock& chunkDone);
    // No helper starts another chunk or file.
    void stop();

private:
    struct Slot {
        // Chunks read, times two, plus one once the key is final.
        std::atomic<std::uint32_t> state{0};
        std::uint64_t bytesTotal = 0;
        std::optional<FileGroupKey> key;
        QStringList consoleLines;
    };

    void read();

    std::vector<FileItemPtr> m_files;
    std::unique_ptr<Slot[]> m_slots;
    ContentKey m_contentKey;
    std::atomic<std::size_t> m_nextClaim{0};
    std::atomic<bool> m_isStopped{false};
    std::vector<std::thread> m_readers;
};

} // namespace pairsift
