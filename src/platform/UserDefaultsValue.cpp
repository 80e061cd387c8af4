#include "platform/UserDefaultsValue.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace pairsift::UserDefaultsValue {

namespace {

// The one key of the object that stands for byte data in the file.
const QString dataKey = QStringLiteral("$data");

constexpr double integerLimit = 9223372036854775808.0; // 2^63

std::optional<qint64> clampedInteger(double number)
{
    if (!std::isfinite(number))
        return std::nullopt;
    if (number >= integerLimit)
        return std::numeric_limits<qint64>::max();
    if (number <= -integerLimit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(number);
}

template <typename Container>
std::optional<QVariant> normalizedMap(const Container& map)
{
    QVariantMap result;
    for (auto entry = map.cbegin(); entry != map.cend(); ++entry) {
        std::optional<QVariant> value = normalized(entry.value());
        if (!value)
            return std::nullopt;
        result.insert(entry.key(), *value);
    }
    return QVariant(result);
}

std::optional<QVariant> normalizedList(const QVariantList& list)
{
    QVariantList result;
    result.reserve(list.size());
    for (const QVariant& element : list) {
        std::optional<QVariant> value = normalized(element);
        if (!value)
            return std::nullopt;
        result.append(*value);
    }
    return QVariant(result);
}

std::optional<QVariant> dataFromJson(const QJsonObject& object)
{
    if (object.size() != 1 || !object.value(dataKey).isString())
        return std::nullopt;
    QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        object.value(dataKey).toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return QVariant(*decoded);
}

} // namespace

std::optional<QVariant> normalized(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return QVariant(value.toBool());
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QVariant(value.toLongLong());
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        if (number <= static_cast<qulonglong>(std::numeric_limits<qlonglong>::max()))
            return QVariant(static_cast<qlonglong>(number));
        return QVariant(static_cast<double>(number));
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return std::nullopt;
        return QVariant(number);
    }
    case QMetaType::QString:
        return QVariant(value.toString());
    case QMetaType::QByteArray:
        return QVariant(value.toByteArray());
    case QMetaType::QStringList: {
        QVariantList list;
        for (const QString& text : value.toStringList())
            list.append(text);
        return QVariant(list);
    }
    case QMetaType::QVariantList:
        return normalizedList(value.toList());
    case QMetaType::QVariantMap:
        return normalizedMap(value.toMap());
    case QMetaType::QVariantHash:
        return normalizedMap(value.toHash());
    default:
        return std::nullopt;
    }
}

QJsonValue toJson(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::Double:
        return value.toDouble();
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QByteArray:
        return QJsonObject{{dataKey, QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant& element : value.toList())
            array.append(toJson(element));
        return array;
    }
    case QMetaType::QVariantMap: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto entry = map.cbegin(); entry != map.cend(); ++entry)
            object.insert(entry.key(), toJson(entry.value()));
        return object;
    }
    default:
        return QJsonValue::Null;
    }
}

std::optional<QVariant> fromJson(const QJsonValue& json)
{
    switch (json.type()) {
    case QJsonValue::Bool:
        return QVariant(json.toBool());
    case QJsonValue::Double:
        // Integers that fit come back as qlonglong, everything else as double.
        return normalized(json.toVariant());
    case QJsonValue::String:
        return QVariant(json.toString());
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue& element : json.toArray()) {
            if (std::optional<QVariant> value = fromJson(element))
                list.append(*value);
        }
        return QVariant(list);
    }
    case QJsonValue::Object: {
        const QJsonObject object = json.toObject();
        if (std::optional<QVariant> data = dataFromJson(object))
            return data;
        QVariantMap map;
        for (auto entry = object.constBegin(); entry != object.constEnd(); ++entry) {
            if (std::optional<QVariant> value = fromJson(entry.value()))
                map.insert(entry.key(), *value);
        }
        return QVariant(map);
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return std::nullopt;
}

std::optional<QString> toString(const QVariant& value)
{
    if (value.metaType().id() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<bool> toBool(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::LongLong:
        return value.toLongLong() != 0;
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0
            || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("NO"), Qt::CaseInsensitive) == 0
            || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        if (isNumber && std::isfinite(number))
            return number != 0.0;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<qint64> toInteger(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::Double:
        return clampedInteger(value.toDouble());
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        bool isInteger = false;
        const qint64 integer = text.toLongLong(&isInteger);
        if (isInteger)
            return integer;
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        return isNumber ? clampedInteger(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QVariantList> toList(const QVariant& value)
{
    if (value.metaType().id() != QMetaType::QVariantList)
        return std::nullopt;
    return value.toList();
}

} // namespace pairsift::UserDefaultsValue
