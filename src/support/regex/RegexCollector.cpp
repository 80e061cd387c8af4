#include "support/regex/RegexCollector.h"

#include "support/regex/RegexSearch.h"

namespace pairsift {

namespace {

void recordCaptures(RegexSearch& search, RXFindAll& findAll, qint64 captureCount)
{
    for (qint64 group = 1; group <= captureCount; ++group)
        findAll.ranges.append(search.captureRange(static_cast<int>(group)));
}

} // namespace

QString rx_substring(const QString& subject, RegexRange range)
{
    if (range.length == 0)
        return QStringLiteral("");
    if (range.location == 0 && range.length == static_cast<std::uint64_t>(subject.size()))
        return subject;
    return subject.mid(static_cast<qsizetype>(range.location), static_cast<qsizetype>(range.length));
}

bool rx_findRanges(RegexSearch& search, unsigned op, RXFindAll& findAll, qint64 captureCount)
{
    const unsigned code = op & RXOpCodeMask;
    const bool isSplit = code == RXSplitOp;
    std::uint64_t pieceStart = findAll.findInRange.location;
    qsizetype lastCompleteCount = 0;
    for (qint64 matches = 0; matches < findAll.matchLimit; ++matches) {
        bool isFound = search.findNext();
        // An empty match right after the previous separator never ends a piece.
        while (isSplit && isFound && search.matchRange().length == 0 && search.matchRange().location == pieceStart)
            isFound = search.findNext();
        if (!isFound)
            break;
        const RegexRange match = search.matchRange();
        if (isSplit) {
            findAll.ranges.append({pieceStart, match.location - pieceStart});
            recordCaptures(search, findAll, captureCount);
            if (match.location > pieceStart)
                lastCompleteCount = findAll.ranges.size();
        } else if (code == RXMatchedStringsOp) {
            findAll.ranges.append(findAll.capture == 0 ? match : search.captureRange(static_cast<int>(findAll.capture)));
        } else {
            findAll.ranges.append(match);
            recordCaptures(search, findAll, captureCount);
        }
        pieceStart = match.end();
    }
    if (search.hasFailed())
        return false;
    if (isSplit) {
        const std::uint64_t end = findAll.findInRange.end();
        if (pieceStart != end) {
            findAll.ranges.append({pieceStart, end - pieceStart});
            findAll.addedSplitRanges = 1;
        } else {
            findAll.ranges.resize(lastCompleteCount);
        }
    }
    return true;
}

RegexOpResult rx_makeArray(const QString& subject, unsigned op, const RXFindAll& findAll, qint64 captureCount)
{
    if (op & RXOpNestedArraysFlag) {
        const auto groupSize = static_cast<qsizetype>(captureCount + 1);
        QList<QStringList> groups;
        groups.reserve(findAll.ranges.size() / groupSize);
        for (qsizetype first = 0; first + groupSize <= findAll.ranges.size(); first += groupSize) {
            QStringList strings;
            strings.reserve(groupSize);
            for (qsizetype index = first; index < first + groupSize; ++index)
                strings.append(rx_substring(subject, findAll.ranges[index]));
            groups.append(std::move(strings));
        }
        return groups;
    }
    QStringList strings;
    strings.reserve(findAll.ranges.size());
    for (const RegexRange& range : findAll.ranges)
        strings.append(rx_substring(subject, range));
    return strings;
}

RegexOpResult rx_makeDictionary(const QString& subject, unsigned op, const RXFindAll& findAll, qint64 captureCount,
                                const RegexKeysAndCaptures& keysAndCaptures)
{
    const auto groupSize = static_cast<qsizetype>(captureCount + 1);
    QList<RegexCaptureDictionary> dictionaries;
    dictionaries.reserve(findAll.ranges.size() / groupSize);
    for (qsizetype first = 0; first + groupSize <= findAll.ranges.size(); first += groupSize) {
        RegexCaptureDictionary dictionary;
        for (const auto& [key, capture] : keysAndCaptures) {
            const RegexRange range = findAll.ranges[first + capture];
            if (range.isFound())
                dictionary.insert(key, rx_substring(subject, range));
        }
        dictionaries.append(std::move(dictionary));
    }
    if ((op & RXOpCodeMask) == RXCaptureDictionaryOp)
        return dictionaries.isEmpty() ? RegexCaptureDictionary() : dictionaries.first();
    return dictionaries;
}

} // namespace pairsift
