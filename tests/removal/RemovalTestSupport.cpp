#include "RemovalTestSupport.h"

#include "platform/desktop/Trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>

#include <unistd.h>

namespace pairsift::test {
namespace {

QTemporaryDir& homeFolder()
{
    static QTemporaryDir folder;
    return folder;
}

// Before main(): nothing has asked GIO for the home or the data folder yet.
const bool isIsolated = [] {
    const QByteArray home = QFile::encodeName(homeFolder().path());
    ::setenv("HOME", home.constData(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/.local/share").constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
    return homeFolder().isValid();
}();

} // namespace

QString isolatedHome()
{
    EXPECT_TRUE(isIsolated);
    return homeFolder().path();
}

RemovalFileSystem desktopFileSystem()
{
    return RemovalFileSystem::withTrash(moveToTrash);
}

RemovalFileSystem desktopFileSystemAfter(std::function<bool(const QString& path, Error* error)> before)
{
    return RemovalFileSystem::withTrash([before = std::move(before)](int folder, const QByteArray& name,
                                            const QString& path, const std::function<bool()>& mayMove, Error* error) {
        return before(path, error) && moveToTrash(folder, name, path, mayMove, error);
    });
}

QString trashFolder()
{
    return isolatedHome() + QStringLiteral("/.local/share/Trash");
}

QList<TrashedFile> trashedFiles()
{
    QList<TrashedFile> files;
    const QString trash = trashFolder();
    for (const QString& name : folderEntries(trash + QStringLiteral("/files"))) {
        QFile info(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        EXPECT_TRUE(info.open(QIODevice::ReadOnly)) << "no .trashinfo for " << name.toStdString();
        const QList<QByteArray> lines = info.readAll().trimmed().split('\n');
        EXPECT_EQ(lines.value(0), QByteArray("[Trash Info]"));
        TrashedFile file;
        for (const QByteArray& line : lines) {
            if (line.startsWith("Path="))
                file.originalPath = QUrl::fromPercentEncoding(line.mid(5));
            else if (line.startsWith("DeletionDate=")) {
                EXPECT_TRUE(QDateTime::fromString(QString::fromLatin1(line.mid(13)), Qt::ISODate).isValid());
            }
        }
        EXPECT_TRUE(file.originalPath.startsWith(QLatin1Char('/'))) << "no absolute Path= for " << name.toStdString();
        QFile content(trash + QStringLiteral("/files/") + name);
        if (content.open(QIODevice::ReadOnly))
            file.content = content.readAll();
        files.append(file);
    }
    return files;
}

QStringList trashedPaths(const QString& folder)
{
    QStringList paths;
    for (const TrashedFile& file : trashedFiles()) {
        if (file.originalPath.startsWith(folder + QLatin1Char('/')))
            paths.append(file.originalPath);
    }
    paths.sort();
    return paths;
}

QStringList folderEntries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

QString linkTarget(const QString& path)
{
    char buffer[4096];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return length < 0 ? QString() : QFile::decodeName(QByteArray(buffer, length));
}

} // namespace pairsift::test
