#pragma once

#include "platform/Error.h"
#include "support/regex/RegexErrorReporting.h"
#include "support/regex/RegexOptions.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

struct URegularExpression;

namespace pairsift {

class CompiledRegex;
class RegexCache;

// Recency word of a 4-way set: row w (bits 4w to 4w+3) has bit (3 - v) set when way w was used more recently
// than way v. From the start word the ways are taken in the order 3, 2, 1, 0, then least recently used first.
inline constexpr std::uint16_t RecencyWordStart = 0x0137;

constexpr std::uint16_t touchedRecencyWord(std::uint16_t word, int way)
{
    const unsigned touched = (word | (0xFu << (4 * way))) & ~(0x1111u << (3 - way));
    return static_cast<std::uint16_t>(touched);
}

// The way to replace next: the highest-numbered way whose row is zero. A word without one is a broken
// invariant that ends the process.
int victimWay(std::uint16_t word);

// One entry of the cache: a compiled pattern. No subject is remembered between operations.
struct RXCachedRegex {
    QString regexString; // the entry's own copy of the pattern; null when the entry is empty
    std::size_t regexHash = 0;
    RXRegexOptions options = 0;
    std::shared_ptr<CompiledRegex> icu_regex;
    qint64 captureCount = -1;
};

// A compiled expression lent to one operation and handed back when the lease goes. The engine's matchers
// carry the text being searched, so each concurrent operation gets its own: the idle one of the entry, or a
// clone when another thread holds it. This keeps the lock out of the matching itself.
class RegexLease {
public:
    RegexLease() = default;
    RegexLease(RegexLease&& other) noexcept;
    RegexLease& operator=(RegexLease&& other) noexcept;
    ~RegexLease();

    explicit operator bool() const { return m_regex != nullptr; }
    URegularExpression* regex() const { return m_regex; }
    qint64 captureCount() const;

private:
    friend class RegexCache;
    void handBack();

    RegexCache* m_cache = nullptr;
    std::shared_ptr<CompiledRegex> m_compiled;
    URegularExpression* m_regex = nullptr;
};

// The process-wide cache of compiled patterns: 52 entries in 13 sets of 4 ways, a 64-slot lookaside table
// and the entry used last, all behind one lock that is held for the look-up (and a compile on a miss) only.
class RegexCache {
public:
    static constexpr int SetCount = 13;
    static constexpr int WayCount = 4;
    static constexpr int EntryCount = SetCount * WayCount;
    static constexpr int LookasideSize = 64;

    static RegexCache& shared();

    RegexCache();
    ~RegexCache();
    RegexCache(const RegexCache&) = delete;
    RegexCache& operator=(const RegexCache&) = delete;

    // An expression for (pattern, options). Empty when the pattern does not compile (reported through
    // `error` and never cached) or cannot be used (recorded in `pending`).
    RegexLease lease(const QString& pattern, RXRegexOptions options, Error* error, RegexPending& pending);
    // Number of capture groups, -1 when the pattern does not compile; the pattern stays cached.
    qint64 captureCount(const QString& pattern, RXRegexOptions options, Error* error, RegexPending& pending);
    void clear();

    // For tests: the index (set × 4 + way) of the entry for (pattern, options), or -1; a set's recency word.
    int indexOf(const QString& pattern, RXRegexOptions options) const;
    std::uint16_t recencyWord(int set) const;
    static int setOf(std::size_t hash, RXRegexOptions options);
    static std::size_t hashOf(const QString& pattern);

private:
    friend class RegexLease;

    RXCachedRegex* rx_getCachedRegex(const QString& pattern, RXRegexOptions options, Error* error,
                                     RegexPending& pending);
    RXCachedRegex* findCached(const QString& pattern, RXRegexOptions options);
    RXCachedRegex* compileInto(const QString& pattern, std::size_t hash, RXRegexOptions options, Error* error);
    void markUsed(RXCachedRegex* entry, const QString& pattern);
    void rx_clearCachedRegex(RXCachedRegex& entry);
    void handBack(std::shared_ptr<CompiledRegex>& compiled, URegularExpression* regex);

    mutable std::mutex m_cacheLock;
    std::array<RXCachedRegex, EntryCount> m_cachedRegexes;
    std::array<std::uint16_t, SetCount> m_cachedRegexCacheSets;
    std::array<std::uint8_t, LookasideSize> m_cacheLookaside{};
    RXCachedRegex* m_lastCachedRegex = nullptr;
};

} // namespace pairsift
