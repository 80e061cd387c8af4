#include "settings/HVRFileSizeUnit.h"

namespace pairsift {

QList<HVRFileSizeUnit> HVRFileSizeUnit::defaultFileSizeUnits()
{
    return {
        fileSizeUnitWithTitle(QStringLiteral("bytes"), 1.0),
        fileSizeUnitWithTitle(QStringLiteral("KBytes"), 1024.0),
        fileSizeUnitWithTitle(QStringLiteral("MBytes"), 1048576.0),
    };
}

} // namespace pairsift
