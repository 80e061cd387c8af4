#pragma once

#include <QList>

#include <type_traits>

namespace pairsift {

// Head and tail of a list, in the style of functional languages.

// The first element; a default value (null for pointers) for an empty list.
template <typename T>
T fp_head(const QList<T>& list)
{
    return list.isEmpty() ? T{} : list.first();
}

// Every element but the first, in order; empty for an empty list.
template <typename T>
QList<T> fp_tail(const QList<T>& list)
{
    return list.isEmpty() ? QList<T>() : list.mid(1);
}

template <typename T>
bool fp_isEmpty(const QList<T>& list)
{
    return list.isEmpty();
}

// The mapping's result for each element, in order.
template <typename T, typename Mapping>
auto fp_map(const QList<T>& list, Mapping mapping)
{
    QList<std::remove_cvref_t<std::invoke_result_t<Mapping&, const T&>>> results;
    results.reserve(list.size());
    for (const T& element : list)
        results.append(mapping(element));
    return results;
}

} // namespace pairsift
