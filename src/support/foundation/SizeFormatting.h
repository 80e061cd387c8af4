#pragma once

#include <QString>

namespace pairsift {

// The one text for every size the user sees: base 1024, each unit kept while the value is below 1023,
// "%lu B", then "%1.2f KB" / "MB" / "GB" / "TB" with "." as the decimal separator under any locale.
// Nothing is larger than TB. Negative and NaN counts read as "0 B".
QString stringWithDiskSpace(double bytes);

} // namespace pairsift
