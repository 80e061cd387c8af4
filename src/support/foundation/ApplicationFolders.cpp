#include "support/foundation/ApplicationFolders.h"

#include "platform/ConsoleLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {

namespace {

const char* const applicationFolderName = "Pairsift";

// Qt's answer follows $XDG_*_HOME, else $HOME, as the settings do; a relative value is invalid by the
// base-directory rules and gives way to the folder below the home folder.
QString baseDirectory(QStandardPaths::StandardLocation location, const char* fallbackBelowHome)
{
    const QString path = QStandardPaths::writableLocation(location);
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return homePath() + QLatin1Char('/') + QLatin1String(fallbackBelowHome);
}

QString standardDirectory(SearchPathDirectory directory)
{
    switch (directory) {
    case SearchPathDirectory::ApplicationSupport: return baseDirectory(QStandardPaths::GenericDataLocation, ".local/share");
    case SearchPathDirectory::Caches: return baseDirectory(QStandardPaths::GenericCacheLocation, ".cache");
    case SearchPathDirectory::Preferences: return baseDirectory(QStandardPaths::GenericConfigLocation, ".config");
    }
    return {};
}

QString systemErrorText(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace

QString findOrCreateDirectory(SearchPathDirectory directory, unsigned long long domainMask,
                              const QString& component, Error* error)
{
    const QString base = (domainMask & UserDomainMask) ? standardDirectory(directory) : QString();
    if (base.isEmpty()) {
        setError(error, directoryLocationErrorDomain, 0, QStringLiteral("No path found for directory in domain."),
                 formatString("NSSearchPathDirectory %llu, NSSearchPathDomainMask %llu",
                              static_cast<unsigned long long>(directory), domainMask));
        return {};
    }
    const QString path = component.isNull() ? base : base + QLatin1Char('/') + component;
    if (QFileInfo(path).isDir() || QDir().mkpath(path)) {
        if (error)
            *error = Error{};
        return path;
    }
    setError(error, QStringLiteral("NSPOSIXErrorDomain"), errno, QStringLiteral("Unable to create folder"),
             systemErrorText(errno));
    return {};
}

QString applicationDataFolderPath()
{
    return standardDirectory(SearchPathDirectory::ApplicationSupport) + QLatin1Char('/')
        + QLatin1String(applicationFolderName);
}

QString applicationSupportDirectory()
{
    Error error;
    const QString path = findOrCreateDirectory(SearchPathDirectory::ApplicationSupport, UserDomainMask,
                                               QLatin1String(applicationFolderName), &error);
    if (path.isNull()) {
        consoleLog("Unable to find or create application support directory:\n%@", error.message());
        return {};
    }
    // The store and the logs name the user's files: keep them to the user.
    ::chmod(QFile::encodeName(path).constData(), 0700);
    return path;
}

QString logDirectoryPath()
{
    const QString application = applicationSupportDirectory();
    if (application.isNull())
        return {};
    const QString path = application + QStringLiteral("/Logs");
    if (!QFileInfo(path).isDir() && !QDir().mkpath(path))
        consoleLog("Unable to create log directory '%@': %@", path, systemErrorText(errno));
    return path;
}

bool createAllDirectoriesForPath(const QString& path, Error* error)
{
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (!info.isDir()) {
            consoleLog("Destination path '%@' exists but is not a directory", path);
            return false;
        }
        if (::access(QFile::encodeName(path).constData(), W_OK) != 0) {
            consoleLog("Destination path '%@' is not writable", path);
            return false;
        }
        return true;
    }
    if (QDir().mkpath(path))
        return true;
    const int number = errno;
    // The reason comes with the error the caller asked for; without one the line says "(null)".
    const QString reason = error && number ? systemErrorText(number) : QString();
    consoleLog("Unable to create destination path '%@', error: '%@'", path, reason);
    setError(error, QStringLiteral("NSPOSIXErrorDomain"), number, QStringLiteral("Unable to create folder"), reason);
    return false;
}

QString homePath()
{
    // $HOME decides, as it does for the settings and the standard folders; the password file only
    // stands in when it is not set.
    const QByteArray home = qgetenv("HOME");
    if (home.startsWith('/'))
        return QDir::cleanPath(QFile::decodeName(home));
    const passwd* entry = ::getpwuid(::getuid());
    if (entry && entry->pw_dir && *entry->pw_dir)
        return QFile::decodeName(entry->pw_dir);
    return QDir::rootPath();
}

} // namespace pairsift
