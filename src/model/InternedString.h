#pragma once

#include <QString>

namespace pairsift {

// The one process-wide copy of a text that many items share (container types and container paths):
// equal texts give the same pointer, which lives until the process ends. Null for a null text.
// Thread-safe; meant for a small set of distinct values.
const QString* internedString(const QString& text);

} // namespace pairsift
