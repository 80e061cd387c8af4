#pragma once

#include <QString>

class QFontMetrics;

namespace pairsift {

// A path shortened to `width` the way that keeps two copies apart: the file name stays whole while the
// folder part gives way from its start, so the folders nearest the name stay longest ("/home/…/Again/
// beach copy.jpg"; the first folder stays while the last fits beside it). Only a name too long on its own
// is shortened itself, in its middle (its extension stays).
QString elidedPath(const QString& path, const QFontMetrics& metrics, int width);

} // namespace pairsift
