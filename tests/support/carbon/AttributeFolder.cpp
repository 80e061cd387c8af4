#include "AttributeFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/xattr.h>

namespace pairsift::test {

AttributeFolder::AttributeFolder()
{
    for (const QString& base : {QDir::tempPath(), QCoreApplication::applicationDirPath()}) {
        auto dir = std::make_unique<QTemporaryDir>(base + "/carbon-XXXXXX");
        if (!dir->isValid())
            continue;
        const QByteArray probe = QFile::encodeName(dir->path());
        if (::setxattr(probe.constData(), "user.probe", "1", 1, 0) == 0) {
            m_dir = std::move(dir);
            return;
        }
    }
}

QString AttributeFolder::path(const QString& relative) const
{
    return m_dir->filePath(relative);
}

QString AttributeFolder::writeFile(const QString& relative, const QByteArray& content) const
{
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).path());
    QFile output(file);
    if (!output.open(QIODevice::WriteOnly) || output.write(content) != content.size())
        return {};
    return file;
}

QString AttributeFolder::makeFolder(const QString& relative) const
{
    QDir().mkpath(path(relative));
    return path(relative);
}

qsizetype AttributeFolder::largestAttribute(const char* name) const
{
    const QByteArray probe = QFile::encodeName(writeFile("attribute probe"));
    const QByteArray value(64 * 1024, 'v');
    qsizetype fits = 0;
    qsizetype tooLarge = value.size() + 1;
    while (tooLarge - fits > 1) {
        const qsizetype size = (fits + tooLarge) / 2;
        (::setxattr(probe.constData(), name, value.constData(), size, 0) == 0 ? fits : tooLarge) = size;
    }
    QFile::remove(QFile::decodeName(probe));
    return fits;
}

} // namespace pairsift::test
