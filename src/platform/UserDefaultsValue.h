#pragma once

#include <QJsonValue>
#include <QVariant>

#include <optional>

namespace pairsift {

// The values a settings file can hold, and the lenient typed reads of them.
//
// In memory a stored value is one of: bool, qlonglong, double (finite), QString, QByteArray, QVariantList
// or QVariantMap of such values. In the file, byte data is an object {"$data": "<base64>"}; everything
// else is plain JSON.
namespace UserDefaultsValue {

// The stored form of `value`; nothing for a type the file cannot hold (dates, null, NaN, custom types).
std::optional<QVariant> normalized(const QVariant& value);

QJsonValue toJson(const QVariant& normalizedValue);
// Nothing for JSON null; nulls inside arrays and objects are dropped.
std::optional<QVariant> fromJson(const QJsonValue& json);

// The typed reads: nothing when the value is of a type that does not convert.
std::optional<QString> toString(const QVariant& value);
// Booleans, numbers (non-zero is true) and the texts "YES"/"NO", "true"/"false" (any letter case) or
// a number.
std::optional<bool> toBool(const QVariant& value);
// Integers, booleans, finite doubles (truncated, clamped to 64 bits) and numeric texts.
std::optional<qint64> toInteger(const QVariant& value);
std::optional<QVariantList> toList(const QVariant& value);

} // namespace UserDefaultsValue

} // namespace pairsift
