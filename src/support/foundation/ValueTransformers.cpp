#include "support/foundation/ValueTransformers.h"

#include "support/foundation/DateFormatting.h"

#include <QDateTime>

namespace pairsift {

QVariant HVShortDateValueTransformer::transformedValue(const QVariant& value)
{
    if (value.metaType().id() != QMetaType::QDateTime)
        return {};
    return stringForDisplayFromDate(value.toDateTime());
}

QVariant HarvoCountToEnabledTransformer::transformedValue(const QVariant& value)
{
    bool isInteger = false;
    const qlonglong count = value.toLongLong(&isInteger);
    return QVariant(isInteger && count > 0 ? 1 : 0);
}

} // namespace pairsift
