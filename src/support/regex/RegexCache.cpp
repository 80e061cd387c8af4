#include "support/regex/RegexCache.h"

#include "platform/ConsoleLog.h"

#include <QHash>

#include <unicode/uregex.h>

#include <cstdlib>
#include <limits>
#include <vector>

namespace pairsift {

// The compiled form of one pattern and the matchers made from it. The source expression is never
// matched, so clones can be made from it while other threads search with theirs.
class CompiledRegex {
public:
    CompiledRegex(URegularExpression* source, qint64 captureCount) : m_source(source), m_captureCount(captureCount)
    {
    }
    ~CompiledRegex()
    {
        for (URegularExpression* matcher : m_idle)
            uregex_close(matcher);
        uregex_close(m_source);
    }
    CompiledRegex(const CompiledRegex&) = delete;
    CompiledRegex& operator=(const CompiledRegex&) = delete;

    // Null and a failure status when the engine rejects the pattern.
    static std::shared_ptr<CompiledRegex> compile(const QString& pattern, RXRegexOptions options, int& status,
                                                  RegexParseError& parseError)
    {
        UParseError engineError{};
        engineError.line = -1;
        engineError.offset = -1;
        UErrorCode engineStatus = U_ZERO_ERROR;
        URegularExpression* source = uregex_open(reinterpret_cast<const UChar*>(pattern.constData()),
                                                 static_cast<int32_t>(pattern.size()), options, &engineError,
                                                 &engineStatus);
        int32_t groups = 0;
        if (U_SUCCESS(engineStatus))
            groups = uregex_groupCount(source, &engineStatus);
        status = engineStatus;
        if (U_FAILURE(engineStatus)) {
            if (source)
                uregex_close(source);
            parseError = {engineError.line, engineError.offset, QString::fromUtf16(engineError.preContext),
                          QString::fromUtf16(engineError.postContext)};
            return nullptr;
        }
        // The engine keeps its own copy of the pattern's characters.
        return std::make_shared<CompiledRegex>(source, groups);
    }

    qint64 captureCount() const { return m_captureCount; }

    // Lock held.
    URegularExpression* takeIdle()
    {
        if (m_idle.empty())
            return nullptr;
        URegularExpression* matcher = m_idle.back();
        m_idle.pop_back();
        return matcher;
    }
    // Lock held. False when enough matchers wait already; the caller closes this one.
    bool putBack(URegularExpression* matcher)
    {
        if (m_idle.size() >= MaxIdle)
            return false;
        m_idle.push_back(matcher);
        return true;
    }
    // Lock not needed.
    URegularExpression* makeMatcher(int& status) const
    {
        UErrorCode engineStatus = U_ZERO_ERROR;
        URegularExpression* matcher = uregex_clone(m_source, &engineStatus);
        status = engineStatus;
        if (U_FAILURE(engineStatus) && matcher) {
            uregex_close(matcher);
            return nullptr;
        }
        return matcher;
    }

private:
    static constexpr std::size_t MaxIdle = 4;

    URegularExpression* m_source;
    qint64 m_captureCount;
    std::vector<URegularExpression*> m_idle;
};

static_assert(RegexOption::CaseInsensitive == UREGEX_CASE_INSENSITIVE && RegexOption::Comments == UREGEX_COMMENTS
              && RegexOption::Multiline == UREGEX_MULTILINE && RegexOption::Literal == UREGEX_LITERAL
              && RegexOption::DotAll == UREGEX_DOTALL && RegexOption::UnicodeWordBoundaries == UREGEX_UWORD);

namespace {

constexpr qsizetype LongestPattern = std::numeric_limits<int32_t>::max() - 1;

int lookasideSlot(const QString& pattern, RXRegexOptions options)
{
    const auto address = reinterpret_cast<std::uintptr_t>(pattern.constData());
    return static_cast<int>(((address >> 4) + options + (options >> 4)) & (RegexCache::LookasideSize - 1));
}

bool holds(const RXCachedRegex& entry, const QString& pattern, RXRegexOptions options)
{
    return entry.icu_regex && entry.options == options && entry.regexString == pattern;
}

} // namespace

int victimWay(std::uint16_t word)
{
    for (int way = RegexCache::WayCount - 1; way >= 0; --way) {
        if (((word >> (4 * way)) & 0xF) == 0)
            return way;
    }
    consoleLog("%@:%ld: Invalid parameter not satisfying: %s\n", "RegexCore", static_cast<long>(__LINE__),
               "leastRecentlyUsed < (4UL)");
    std::abort();
}

RegexLease::RegexLease(RegexLease&& other) noexcept
    : m_cache(std::exchange(other.m_cache, nullptr)),
      m_compiled(std::move(other.m_compiled)),
      m_regex(std::exchange(other.m_regex, nullptr))
{
}

RegexLease& RegexLease::operator=(RegexLease&& other) noexcept
{
    if (this != &other) {
        handBack();
        m_cache = std::exchange(other.m_cache, nullptr);
        m_compiled = std::move(other.m_compiled);
        m_regex = std::exchange(other.m_regex, nullptr);
    }
    return *this;
}

RegexLease::~RegexLease()
{
    handBack();
}

qint64 RegexLease::captureCount() const
{
    return m_compiled ? m_compiled->captureCount() : -1;
}

void RegexLease::handBack()
{
    if (m_regex && m_cache)
        m_cache->handBack(m_compiled, std::exchange(m_regex, nullptr));
    // The last lease of an evicted pattern closes it here, outside the lock.
    m_compiled.reset();
}

RegexCache& RegexCache::shared()
{
    // Never destroyed: operations may run from other threads while the process exits.
    static auto* cache = new RegexCache;
    return *cache;
}

RegexCache::RegexCache()
{
    m_cachedRegexCacheSets.fill(RecencyWordStart);
}

RegexCache::~RegexCache() = default;

std::size_t RegexCache::hashOf(const QString& pattern)
{
    return qHash(pattern, 0);
}

int RegexCache::setOf(std::size_t hash, RXRegexOptions options)
{
    return static_cast<int>((static_cast<std::uint64_t>(options) ^ static_cast<std::uint64_t>(hash)) % SetCount);
}

RegexLease RegexCache::lease(const QString& pattern, RXRegexOptions options, Error* error, RegexPending& pending)
{
    RegexLease lease;
    {
        std::lock_guard guard(m_cacheLock);
        RXCachedRegex* entry = rx_getCachedRegex(pattern, options, error, pending);
        if (!entry)
            return lease;
        lease.m_compiled = entry->icu_regex;
        lease.m_regex = lease.m_compiled->takeIdle();
    }
    lease.m_cache = this;
    if (!lease.m_regex) {
        int status = 0;
        lease.m_regex = lease.m_compiled->makeMatcher(status);
        if (!lease.m_regex) {
            pending = rx_exceptionForICUStatus(pattern, options, status);
            return {};
        }
    }
    return lease;
}

qint64 RegexCache::captureCount(const QString& pattern, RXRegexOptions options, Error* error, RegexPending& pending)
{
    std::lock_guard guard(m_cacheLock);
    const RXCachedRegex* entry = rx_getCachedRegex(pattern, options, error, pending);
    return entry ? entry->captureCount : -1;
}

void RegexCache::clear()
{
    std::lock_guard guard(m_cacheLock);
    for (RXCachedRegex& entry : m_cachedRegexes)
        rx_clearCachedRegex(entry);
}

int RegexCache::indexOf(const QString& pattern, RXRegexOptions options) const
{
    std::lock_guard guard(m_cacheLock);
    for (int index = 0; index < EntryCount; ++index) {
        if (holds(m_cachedRegexes[index], pattern, options))
            return index;
    }
    return -1;
}

std::uint16_t RegexCache::recencyWord(int set) const
{
    std::lock_guard guard(m_cacheLock);
    return m_cachedRegexCacheSets.at(set);
}

RXCachedRegex* RegexCache::rx_getCachedRegex(const QString& pattern, RXRegexOptions options, Error* error,
                                             RegexPending& pending)
{
    if (RXCachedRegex* entry = findCached(pattern, options))
        return entry;
    if (pattern.size() > LongestPattern) {
        pending = RegexPendingException{RegexExceptionKind::Range, QStringLiteral("Regex string length exceeds INT_MAX"),
                                        {}};
        return nullptr;
    }
    return compileInto(pattern, hashOf(pattern), options, error);
}

RXCachedRegex* RegexCache::findCached(const QString& pattern, RXRegexOptions options)
{
    // Repeated use of one pattern costs one comparison of its characters.
    if (m_lastCachedRegex && holds(*m_lastCachedRegex, pattern, options))
        return m_lastCachedRegex;
    m_lastCachedRegex = nullptr;

    RXCachedRegex& candidate = m_cachedRegexes[m_cacheLookaside[lookasideSlot(pattern, options)]];
    if (holds(candidate, pattern, options)) {
        markUsed(&candidate, pattern);
        return &candidate;
    }
    const std::size_t hash = hashOf(pattern);
    const int set = setOf(hash, options);
    for (int way = WayCount - 1; way >= 0; --way) {
        RXCachedRegex& entry = m_cachedRegexes[set * WayCount + way];
        if (entry.regexHash == hash && holds(entry, pattern, options)) {
            markUsed(&entry, pattern);
            return &entry;
        }
    }
    return nullptr;
}

RXCachedRegex* RegexCache::compileInto(const QString& pattern, std::size_t hash, RXRegexOptions options, Error* error)
{
    int status = 0;
    RegexParseError parseError;
    std::shared_ptr<CompiledRegex> compiled = CompiledRegex::compile(pattern, options, status, parseError);
    if (!compiled) {
        // Nothing is cached, so the next call compiles (and reports) it again.
        if (error) {
            RegexErrorContext context;
            context.pattern = pattern;
            context.options = options;
            context.parseError = &parseError;
            context.status = status;
            rx_setError(error, status,
                        rx_makeErrorUserInfo(context, {{RegexErrorKey::Description.toString(),
                                                        QStringLiteral("There was an error compiling the regular "
                                                                       "expression.")}}));
        }
        return nullptr;
    }
    const int set = setOf(hash, options);
    RXCachedRegex& entry = m_cachedRegexes[set * WayCount + victimWay(m_cachedRegexCacheSets[set])];
    rx_clearCachedRegex(entry);
    // A copy of the characters: the caller's string may borrow a buffer that is freed or rewritten later.
    entry.regexString = QString(pattern.constData(), pattern.size());
    entry.regexHash = hash;
    entry.options = options;
    entry.captureCount = compiled->captureCount();
    entry.icu_regex = std::move(compiled);
    markUsed(&entry, pattern);
    return &entry;
}

void RegexCache::markUsed(RXCachedRegex* entry, const QString& pattern)
{
    const auto index = static_cast<int>(entry - m_cachedRegexes.data());
    m_lastCachedRegex = entry;
    m_cacheLookaside[lookasideSlot(pattern, entry->options)] = static_cast<std::uint8_t>(index);
    std::uint16_t& word = m_cachedRegexCacheSets[index / WayCount];
    word = touchedRecencyWord(word, index % WayCount);
}

void RegexCache::rx_clearCachedRegex(RXCachedRegex& entry)
{
    if (m_lastCachedRegex == &entry)
        m_lastCachedRegex = nullptr;
    entry = RXCachedRegex{};
}

void RegexCache::handBack(std::shared_ptr<CompiledRegex>& compiled, URegularExpression* regex)
{
    bool isKept = false;
    {
        std::lock_guard guard(m_cacheLock);
        isKept = compiled->putBack(regex);
    }
    if (!isKept)
        uregex_close(regex);
}

} // namespace pairsift
