#pragma once

#include "model/FileGrouping.h"
#include "processing/ReaderTeam.h"

#include <QStringList>

#include <atomic>
#include <cstddef>
#include <exception>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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
// outside sees what a read on the loop's own thread would have shown. The helpers stay at most a window
// of files ahead of the loop, which bounds the memory of what waits to be taken and leaves the loop its
// share of the processor. A stop is a flag the helpers check after every chunk; whatever they computed
// past it is dropped with this object.
class StageReadAhead {
public:
    using ContentKey = std::function<std::optional<FileGroupKey>(const FileItem&, const HashProgressBlock&)>;

    // Files read ahead of the one the loop takes, at most.
    static constexpr std::uint32_t windowSize = 4096;

    struct Options {
        // At least 1.
        std::uint32_t window = windowSize;
        // Tests: called on a helper that found no room for the file at this index, right before it sleeps.
        std::function<void(std::uint32_t index)> beforeRoomWait;
    };

    // `files` and `readers`, which must be idle, outlive this object. `contentKey` reports a progress call
    // after every whole FileItem::ChunkSize chunk; an exception it throws is thrown again by the take() of
    // its file.
    StageReadAhead(std::vector<const FileItem*> files, ReaderTeam& readers, ContentKey contentKey, Options options);
    StageReadAhead(std::vector<const FileItem*> files, ReaderTeam& readers, ContentKey contentKey)
        : StageReadAhead(std::move(files), readers, std::move(contentKey), Options{})
    {
    }
    // Stops the helpers and waits for them: each ends within one chunk.
    ~StageReadAhead();

    StageReadAhead(const StageReadAhead&) = delete;
    StageReadAhead& operator=(const StageReadAhead&) = delete;

    // The file at `index`; every index is taken once, in increasing order. After a stop asked by
    // `chunkDone`, the helpers stop too.
    StageContent take(std::size_t index, const ChunkDoneBlock& chunkDone);
    // No helper starts another chunk or file.
    void stop();

private:
    struct Slot {
        // Chunks read, times two, plus one once the key is final.
        std::atomic<std::uint32_t> state{0};
        std::uint64_t bytesTotal = 0;
        std::optional<FileGroupKey> key;
        std::exception_ptr error;
        QStringList consoleLines;
    };

    void read();
    // Waits until the file at `index` fits the window; false after a stop.
    bool waitForRoom(std::uint32_t index);
    // Hands the slot of a taken file back to the helpers.
    void release(Slot& slot);

    const Options m_options;
    // The helpers waiting for room are woken each time the loop has taken this many more files.
    const std::uint32_t m_wakeStep;
    std::vector<const FileItem*> m_files;
    std::unique_ptr<Slot[]> m_slots;
    ContentKey m_contentKey;
    std::atomic<std::uint32_t> m_nextClaim{0};
    // Files the loop has taken: the helpers may work on indexes below this plus the window.
    std::atomic<std::uint32_t> m_taken{0};
    // Helpers waiting for room, and what they wait on: it changes when they may look again. The loop
    // changes it only when some are waiting, so a helper counts itself before it reads the signal.
    std::atomic<int> m_waiting{0};
    std::atomic<std::uint32_t> m_roomSignal{0};
    std::atomic<bool> m_isStopped{false};
    ReaderTeam& m_readers;
};

} // namespace pairsift
