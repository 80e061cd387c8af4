#pragma once

#include <QString>

namespace pairsift {

// The kind of container a scan location (and every file found in it) belongs to. Stored as text in the
// store's ContainerType column and compared by string equality; a null string means "not a supported
// container". These three are the only values; nothing else spells them.
using ContainerType = QString;

inline const ContainerType containerTypeDirectory = QStringLiteral("directory");
inline const ContainerType containerTypeiPhoto = QStringLiteral("iPhoto");
inline const ContainerType containerTypeAperture = QStringLiteral("Aperture");

} // namespace pairsift
