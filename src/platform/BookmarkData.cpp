#include "platform/BookmarkData.h"

#include <QStringDecoder>
#include <QtEndian>

namespace pairsift {

namespace {

constexpr char magic[] = {'P', 'S', 'B', 'K'};
constexpr qsizetype magicSize = sizeof(magic);
constexpr quint8 currentVersion = 1;
constexpr qsizetype headerSize = magicSize + 1 + 4;

bool isUsablePath(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) && !path.contains(QChar(0));
}

QString failure(Error* error, BookmarkDataError code, const char* description)
{
    setError(error, bookmarkDataErrorDomain, static_cast<long long>(code), QString::fromUtf8(description));
    return {};
}

} // namespace

QByteArray makeBookmarkData(const QString& path, Error* error)
{
    if (!isUsablePath(path)) {
        failure(error, BookmarkDataError::NotAbsolute, "A bookmark needs an absolute path.");
        return {};
    }
    const QByteArray utf8 = path.toUtf8();
    QByteArray data;
    data.reserve(headerSize + utf8.size());
    data.append(magic, magicSize);
    data.append(static_cast<char>(currentVersion));
    char length[4];
    qToBigEndian(static_cast<quint32>(utf8.size()), length);
    data.append(length, sizeof(length));
    data.append(utf8);
    return data;
}

QString resolveBookmarkData(const QByteArray& data, Error* error)
{
    if (!data.startsWith(QByteArrayView(magic, magicSize)))
        return failure(error, BookmarkDataError::UnknownFormat, "The data is not a bookmark.");
    if (data.size() < headerSize)
        return failure(error, BookmarkDataError::Truncated, "The bookmark is truncated.");
    if (static_cast<quint8>(data.at(magicSize)) != currentVersion)
        return failure(error, BookmarkDataError::UnsupportedVersion, "The bookmark's version is not supported.");
    const quint32 length = qFromBigEndian<quint32>(data.constData() + magicSize + 1);
    if (static_cast<quint64>(data.size() - headerSize) != length)
        return failure(error, BookmarkDataError::Truncated, "The bookmark's length does not match its data.");

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString path = decoder(QByteArrayView(data).sliced(headerSize));
    if (decoder.hasError() || !isUsablePath(path))
        return failure(error, BookmarkDataError::InvalidPath, "The bookmark does not hold an absolute path.");
    return path;
}

QString describeData(const QByteArray& data)
{
    const QByteArray hex = data.toHex();
    QString text = QStringLiteral("<");
    for (qsizetype index = 0; index < hex.size(); index += 8) {
        if (index > 0)
            text += QLatin1Char(' ');
        text += QLatin1String(hex.mid(index, 8));
    }
    return text + QLatin1Char('>');
}

} // namespace pairsift
