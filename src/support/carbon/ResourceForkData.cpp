#include "support/carbon/ResourceForkData.h"

#include "support/carbon/CBResourceFork.h"

namespace pairsift {

namespace {

template <typename Key>
std::optional<QByteArray> readResource(const QString& path, quint32 type, const Key& key)
{
    const std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForReadingAtPath(path);
    if (!fork)
        return std::nullopt;
    std::optional<QByteArray> data = fork->dataForType(type, key);
    fork->closeFile();
    return data;
}

} // namespace

std::optional<QByteArray> dataWithResourceForkContentsOfURL(const QUrl& url, quint32 type, qint16 id)
{
    return url.isLocalFile() ? readResource(url.toLocalFile(), type, id) : std::nullopt;
}

std::optional<QByteArray> dataWithResourceForkContentsOfURL(const QUrl& url, quint32 type, const QString& name)
{
    return url.isLocalFile() ? readResource(url.toLocalFile(), type, name) : std::nullopt;
}

std::optional<QByteArray> dataWithResourceForkContentsOfFile(const QString& path, quint32 type, qint16 id)
{
    return readResource(path, type, id);
}

std::optional<QByteArray> dataWithResourceForkContentsOfFile(const QString& path, quint32 type, const QString& name)
{
    return readResource(path, type, name);
}

bool writeToResourceForkURL(const QByteArray& data, const QUrl& url, quint32 type, qint16 id, const QString& name)
{
    return url.isLocalFile() && writeToResourceForkFile(data, url.toLocalFile(), type, id, name);
}

bool writeToResourceForkFile(const QByteArray& data, const QString& path, quint32 type, qint16 id, const QString& name)
{
    const std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForWritingAtPath(path);
    if (!fork)
        return false;
    const bool added = fork->addData(data, type, id, name);
    return fork->closeFile() && added;
}

} // namespace pairsift
