#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace pairsift {

// One resource read or written in a single call: open the fork, act, close.

std::optional<QByteArray> dataWithResourceForkContentsOfURL(const QUrl& url, quint32 type, qint16 id);
std::optional<QByteArray> dataWithResourceForkContentsOfURL(const QUrl& url, quint32 type, const QString& name);
std::optional<QByteArray> dataWithResourceForkContentsOfFile(const QString& path, quint32 type, qint16 id);
std::optional<QByteArray> dataWithResourceForkContentsOfFile(const QString& path, quint32 type, const QString& name);

// Adds or replaces (type, id); true when the addition and the close both succeed.
bool writeToResourceForkURL(const QByteArray& data, const QUrl& url, quint32 type, qint16 id, const QString& name);
bool writeToResourceForkFile(const QByteArray& data, const QString& path, quint32 type, qint16 id, const QString& name);

} // namespace pairsift
