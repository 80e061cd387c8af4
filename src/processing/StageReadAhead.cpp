#include "processing/StageReadAhead.h"

#include "platform/ConsoleLog.h"

#include <algorithm>
#include <utility>

namespace pairsift {

namespace {

constexpr std::uint32_t finished = 1;
constexpr std::uint32_t oneChunk = 2;

} // namespace

StageReadAhead::StageReadAhead(std::vector<FileItemPtr> files, int readerCount, ContentKey contentKey)
    : m_files(std::move(files))
    , m_slots(std::make_unique<Slot[]>(m_files.size()))
    , m_contentKey(std::move(contentKey))
{
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(std::max(readerCount, 0)), m_files.size());
    m_readers.reserve(count);
    for (std::size_t reader = 0; reader < count; ++reader)
        m_readers.emplace_back([this] { read(); });
}

StageReadAhead::~StageReadAhead()
{
    stop();
    for (std::thread& reader : m_readers)
        reader.join();
}

void StageReadAhead::stop()
{
    m_isStopped.store(true, std::memory_order_release);
}

void StageReadAhead::read()
{
    while (!m_isStopped.load(std::memory_order_acquire)) {
        const std::size_t index = m_nextClaim.fetch_add(1, std::memory_order_relaxed);
        if (index >= m_files.size())
            return;
        Slot& slot = m_slots[index];
        std::uint32_t state = 0;
        {
            const DeferredConsoleLines deferred(slot.consoleLines);
            slot.key = m_contentKey(*m_files[index], [&](quint64, quint64 bytesTotal, bool* stopRead) {
                if (state == 0)
                    slot.bytesTotal = bytesTotal;
                state += oneChunk;
                slot.state.store(state, std::memory_order_release);
                slot.state.notify_one();
                *stopRead = m_isStopped.load(std::memory_order_acquire);
            });
        }
        slot.state.store(state | finished, std::memory_order_release);
        slot.state.notify_one();
    }
}

StageContent StageReadAhead::take(std::size_t index, const ChunkDoneBlock& chunkDone)
{
    Slot& slot = m_slots[index];
    StageContent content;
    std::uint32_t replayed = 0;
    std::uint32_t state = slot.state.load(std::memory_order_acquire);
    for (;;) {
        while (!content.cancelled && replayed < state / oneChunk) {
            ++replayed;
            // Every chunk but the last is whole.
            const quint64 bytesDone = std::min<quint64>(quint64{replayed} * FileItem::ChunkSize, slot.bytesTotal);
            content.cancelled = chunkDone && chunkDone(bytesDone, slot.bytesTotal);
        }
        if (content.cancelled)
            stop();
        if (state & finished)
            break;
        slot.state.wait(state, std::memory_order_acquire);
        state = slot.state.load(std::memory_order_acquire);
    }
    // A read stopped at a chunk keeps what it had at that chunk: a key only when it was the last one.
    if (content.cancelled && replayed < state / oneChunk)
        return content;
    content.key = std::move(slot.key);
    if (!content.cancelled) {
        for (const QString& line : std::as_const(slot.consoleLines))
            consoleLogText(line);
    }
    return content;
}

} // namespace pairsift
