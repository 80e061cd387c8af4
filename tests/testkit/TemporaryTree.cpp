#include "testkit/TemporaryTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace pairsift::test {

TemporaryTree::TemporaryTree()
{
    if (!m_dir.isValid())
        ADD_FAILURE() << "cannot create a temporary folder";
}

QString TemporaryTree::root() const
{
    return QFileInfo(m_dir.path()).canonicalFilePath();
}

QString TemporaryTree::path(const QString& relative) const
{
    return root() + QLatin1Char('/') + relative;
}

QString TemporaryTree::writeFile(const QString& relative, const QByteArray& content) const
{
    const QString filePath = path(relative);
    QDir().mkpath(QFileInfo(filePath).path());
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        ADD_FAILURE() << "cannot write " << filePath.toStdString();
    return filePath;
}

QString TemporaryTree::makeFolder(const QString& relative) const
{
    const QString folderPath = path(relative);
    if (!QDir().mkpath(folderPath))
        ADD_FAILURE() << "cannot create " << folderPath.toStdString();
    return folderPath;
}

QString TemporaryTree::makeSymlink(const QString& relative, const QString& target) const
{
    const QString linkPath = path(relative);
    QDir().mkpath(QFileInfo(linkPath).path());
    if (!QFile::link(target, linkPath))
        ADD_FAILURE() << "cannot link " << linkPath.toStdString();
    return linkPath;
}

QByteArray patternBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = seed * 2654435761u + 1u;
    for (qsizetype i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

} // namespace pairsift::test
