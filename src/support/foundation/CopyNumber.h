#pragma once

#include <QString>

namespace pairsift {

// The copy number a file name carries, for ordering copies of one file: " copy" gives 1, " copy 3"
// gives 3 (the last of several numbers), "(4)" gives 4; 0 when the name carries none. Only the last
// path component counts, extension included; matching is case-sensitive and unanchored ("my copybook"
// gives 1). The value is read from ASCII digits only and saturates at the largest 64-bit integer.
qint64 extractCopyNumber(const QString& path);

} // namespace pairsift
