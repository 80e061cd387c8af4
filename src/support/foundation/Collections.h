#pragma once

#include <QList>
#include <QSet>

#include <algorithm>
#include <concepts>
#include <functional>
#include <optional>
#include <set>
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <vector>

// Block-style map, select, match, reduce and sort over the project's arrays (std::vector, QList) and sets
// (std::set, std::unordered_set, QSet). None changes its argument: each answers a new collection, one
// element, or the folded value.

namespace pairsift {

namespace collections_detail {

// What a collection kind answers for a map and a sort: arrays keep their container, sets give a set of
// the results and an array of their sorted elements.
template <typename Collection>
struct Kind;

template <typename T, typename Allocator>
struct Kind<std::vector<T, Allocator>> {
    static constexpr bool isSet = false;
    template <typename R>
    using Rebound = std::vector<R>;
    using Sorted = std::vector<T, Allocator>;
};

template <typename T>
struct Kind<QList<T>> {
    static constexpr bool isSet = false;
    template <typename R>
    using Rebound = QList<R>;
    using Sorted = QList<T>;
};

template <typename T, typename Compare, typename Allocator>
struct Kind<std::set<T, Compare, Allocator>> {
    static constexpr bool isSet = true;
    template <typename R>
    using Rebound = std::set<R>;
    using Sorted = std::vector<T>;
};

template <typename T, typename Hash, typename Equal, typename Allocator>
struct Kind<std::unordered_set<T, Hash, Equal, Allocator>> {
    static constexpr bool isSet = true;
    template <typename R>
    using Rebound = std::unordered_set<R>;
    using Sorted = std::vector<T>;
};

template <typename T>
struct Kind<QSet<T>> {
    static constexpr bool isSet = true;
    template <typename R>
    using Rebound = QSet<R>;
    using Sorted = QList<T>;
};

template <typename Collection>
using KindOf = Kind<std::remove_cvref_t<Collection>>;

template <typename Collection>
using Element = typename std::remove_cvref_t<Collection>::value_type;

template <typename Collection, typename Value>
void append(Collection& collection, Value&& value)
{
    if constexpr (KindOf<Collection>::isSet)
        collection.insert(std::forward<Value>(value));
    else
        collection.push_back(std::forward<Value>(value));
}

template <typename Collection>
void reserve(Collection& collection, std::size_t count)
{
    if constexpr (requires { collection.reserve(count); })
        collection.reserve(static_cast<typename Collection::size_type>(count));
}

} // namespace collections_detail

template <typename Collection>
concept CxCollection = requires { collections_detail::KindOf<Collection>::isSet; };

template <typename Collection>
concept CxArray = CxCollection<Collection> && !collections_detail::KindOf<Collection>::isSet;

// The mapping's results: in order for an array; a set of them (equal results fold into one) for a set.
template <CxCollection Collection, typename Mapping>
    requires std::invocable<Mapping&, const collections_detail::Element<Collection>&>
auto cx_map(const Collection& collection, Mapping mapping)
{
    using Result = std::remove_cvref_t<std::invoke_result_t<Mapping&, const collections_detail::Element<Collection>&>>;
    typename collections_detail::KindOf<Collection>::template Rebound<Result> results;
    collections_detail::reserve(results, static_cast<std::size_t>(collection.size()));
    for (const auto& element : collection)
        collections_detail::append(results, std::invoke(mapping, element));
    return results;
}

// The elements that pass the test, in order for an array.
template <CxCollection Collection, typename Test>
    requires std::predicate<Test&, const collections_detail::Element<Collection>&>
std::remove_cvref_t<Collection> cx_select(const Collection& collection, Test test)
{
    std::remove_cvref_t<Collection> selected;
    for (const auto& element : collection) {
        if (std::invoke(test, element))
            collections_detail::append(selected, element);
    }
    return selected;
}

// The first element, in the collection's order, that passes the test; nothing when none does.
template <CxCollection Collection, typename Test>
    requires std::predicate<Test&, const collections_detail::Element<Collection>&>
std::optional<collections_detail::Element<Collection>> cx_match(const Collection& collection, Test test)
{
    for (const auto& element : collection) {
        if (std::invoke(test, element))
            return element;
    }
    return std::nullopt;
}

// The running value after folding every element in order into `initial`; `initial` for an empty array.
template <CxArray Collection, typename Value, typename Folding>
    requires std::invocable<Folding&, Value, const collections_detail::Element<Collection>&>
Value cx_reduce(const Collection& collection, Value initial, Folding folding)
{
    Value running = std::move(initial);
    for (const auto& element : collection)
        running = std::invoke(folding, std::move(running), element);
    return running;
}

// An array of the elements ordered by `lessThan`; elements that are less than neither way keep their
// order (a set's in its enumeration order).
template <CxCollection Collection, typename LessThan>
    requires std::predicate<LessThan&, const collections_detail::Element<Collection>&,
        const collections_detail::Element<Collection>&>
typename collections_detail::KindOf<Collection>::Sorted cx_sorted(const Collection& collection, LessThan lessThan)
{
    typename collections_detail::KindOf<Collection>::Sorted sorted(collection.begin(), collection.end());
    std::stable_sort(sorted.begin(), sorted.end(),
        [&lessThan](const auto& first, const auto& second) { return std::invoke(lessThan, first, second); });
    return sorted;
}

} // namespace pairsift
