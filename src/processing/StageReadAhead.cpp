#include "processing/StageReadAhead.h"

#include "platform/ConsoleLog.h"

#include <algorithm>
#include <utility>

namespace pairsift {

namespace {

constexpr std::uint32_t finished = 1;
constexpr std::uint32_t oneChunk = 2;

} // namespace

StageReadAhead::StageReadAhead(
    std::vector<const FileItem*> files, ReaderTeam& readers, ContentKey contentKey, Options options)
    : m_options(std::move(options))
    // Woken every quarter window rather than after each file. A helper's room opens a whole window of
    // takes before the loop needs its file, and those takes include a wake: the loop never waits for a
    // helper that sleeps.
    , m_wakeStep(std::max<std::uint32_t>(m_options.window / 4, 1))
    , m_files(std::move(files))
    , m_slots(std::make_unique<Slot[]>(std::min<std::size_t>(m_files.size(), m_options.window)))
    , m_contentKey(std::move(contentKey))
    , m_readers(readers)
{
    m_readers.run([this] { read(); });
}

StageReadAhead::~StageReadAhead()
{
    stop();
    m_readers.waitUntilDone();
}

void StageReadAhead::stop()
{
    m_isStopped.store(true);
    m_roomSignal.fetch_add(1);
    m_roomSignal.notify_all();
}

bool StageReadAhead::waitForRoom(std::uint32_t index)
{
    const auto hasRoom = [&] { return index < m_taken.load() + m_options.window; };
    for (;;) {
        if (hasRoom())
            return true;
        if (m_isStopped.load())
            return false;
        // Counted before the signal is read and the room looked at again: a release that comes after
        // that look sees the count and changes the signal, so the wait below cannot miss it. All of
        // these are sequentially consistent.
        m_waiting.fetch_add(1);
        const std::uint32_t signal = m_roomSignal.load();
        if (!hasRoom() && !m_isStopped.load()) {
            if (m_options.beforeRoomWait)
                m_options.beforeRoomWait(index);
            m_roomSignal.wait(signal);
        }
        m_waiting.fetch_sub(1);
    }
}

void StageReadAhead::read()
{
    struct Reading {
        StageReadAhead* self;
        Slot* slot;
        std::uint32_t state;
    };
    while (!m_isStopped.load(std::memory_order_acquire)) {
        const std::uint32_t index = m_nextClaim.fetch_add(1, std::memory_order_relaxed);
        if (index >= m_files.size() || !waitForRoom(index))
            return;
        Reading reading{this, &m_slots[index % m_options.window], 0};
        try {
            const DeferredConsoleLines deferred(reading.slot->consoleLines);
            // One pointer captured: the block is built without an allocation.
            reading.slot->key = m_contentKey(*m_files[index], [at = &reading](quint64, quint64 bytesTotal, bool* stopRead) {
                if (at->state == 0)
                    at->slot->bytesTotal = bytesTotal;
                at->state += oneChunk;
                at->slot->state.store(at->state, std::memory_order_release);
                at->slot->state.notify_one();
                *stopRead = at->self->m_isStopped.load(std::memory_order_acquire);
            });
        } catch (...) {
            // Ends the run on the loop's thread, where it takes this file; a helper thread must not end by it.
            reading.slot->error = std::current_exception();
        }
        reading.slot->state.store(reading.state | finished, std::memory_order_release);
        reading.slot->state.notify_one();
    }
}

StageContent StageReadAhead::take(std::size_t index, const ChunkDoneBlock& chunkDone)
{
    Slot& slot = m_slots[index % m_options.window];
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
    if (!content.cancelled || replayed == state / oneChunk)
        content.key = std::move(slot.key);
    if (!content.cancelled) {
        for (const QString& line : std::as_const(slot.consoleLines))
            consoleLogText(line);
    }
    const std::exception_ptr error = std::exchange(slot.error, nullptr);
    release(slot);
    if (error && !content.cancelled)
        std::rethrow_exception(error);
    return content;
}

void StageReadAhead::release(Slot& slot)
{
    slot.key.reset();
    slot.consoleLines.clear();
    slot.bytesTotal = 0;
    slot.state.store(0, std::memory_order_relaxed);
    const std::uint32_t taken = m_taken.fetch_add(1) + 1;
    if (taken % m_wakeStep == 0 && m_waiting.load() > 0) {
        m_roomSignal.fetch_add(1);
        m_roomSignal.notify_all();
    }
}

} // namespace pairsift
