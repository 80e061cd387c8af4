#pragma once

#include <QImage>
#include <QString>

namespace pairsift {

// The results list's own pictures, drawn in code: "TinyTrash" (the check-box column's header, 14 × 14)
// and "PlaceholderTemplate" (the details pane's picture when nothing is selected, 96 × 96). Null for any
// other name.
QImage namedImage(const QString& name);

} // namespace pairsift
