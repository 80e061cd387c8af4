#pragma once

#include <QtGlobal>

namespace pairsift {

// The position answered when a search finds nothing.
inline constexpr qsizetype NotFound = -1;

} // namespace pairsift
