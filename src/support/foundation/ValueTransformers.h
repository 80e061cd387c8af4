#pragma once

#include <QVariant>

namespace pairsift {

// One-way conversions for values that views show; neither converts back.

// A date to its short list text (stringForDisplayFromDate); anything else to a null value.
class HVShortDateValueTransformer {
public:
    static constexpr bool allowsReverseTransformation() { return false; }
    static QVariant transformedValue(const QVariant& value);
};

// Any value with an integer reading to 1 when that integer is above 0, else 0; a null value gives 0.
// Enables a control by a count.
class HarvoCountToEnabledTransformer {
public:
    static constexpr bool allowsReverseTransformation() { return false; }
    static QVariant transformedValue(const QVariant& value);
};

} // namespace pairsift
