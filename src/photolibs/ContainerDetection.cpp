#include "photolibs/ContainerDetection.h"

#include "platform/ConsoleLog.h"
#include "platform/PackageTypes.h"

#include <QFile>
#include <QFileInfo>

#include <plist/plist.h>

#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <optional>

namespace pairsift {

namespace {

// A library's Info.plist holds a handful of keys; anything this large is not one, and libplist takes
// 32-bit lengths.
constexpr qint64 largestPropertyList = 4 * 1024 * 1024;

struct PlistFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Plist = std::unique_ptr<void, PlistFree>;

// The root dictionary of a property list file, XML or binary; empty when the file is missing,
// unreadable, too large or not a dictionary.
Plist readDictionary(const QString& path)
{
    // Only a regular file: opening a pipe or a device planted there could block or never end.
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > largestPropertyList)
        return {};
    const QByteArray content = file.read(largestPropertyList);
    if (content.isEmpty())
        return {};
    plist_t root = nullptr;
    plist_from_memory(content.constData(), static_cast<uint32_t>(content.size()), &root);
    Plist dictionary(root);
    if (!dictionary || plist_get_node_type(root) != PLIST_DICT)
        return {};
    return dictionary;
}

// The string under `key`; nothing when the key is missing or holds another kind of value.
std::optional<QString> stringValue(const Plist& dictionary, const char* key)
{
    const plist_t node = plist_dict_get_item(static_cast<plist_t>(dictionary.get()), key);
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    return QString::fromUtf8(text, static_cast<qsizetype>(length));
}

// Photo libraries are told apart by their Info.plist; a package without a get-info string is never
// a library, whatever its bundle identifier says.
ContainerType libraryType(const QString& packagePath)
{
    const Plist dictionary = readDictionary(packagePath + QStringLiteral("/Info.plist"));
    if (!dictionary)
        return {};
    const std::optional<QString> getInfo = stringValue(dictionary, "CFBundleGetInfoString");
    if (!getInfo)
        return {};
    if (getInfo->contains(QLatin1String("iPhoto")))
        return containerTypeiPhoto;
    if (stringValue(dictionary, "CFBundleIdentifier") == QLatin1String("com.apple.Aperture.library"))
        return containerTypeAperture;
    return {};
}

} // namespace

ContainerType containerType(const QUrl& url)
{
    const QString path = url.toLocalFile();
    struct stat status {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0) {
        const int error = path.isEmpty() ? EINVAL : errno;
        consoleLog("Error inspecting '%@': %@", path.isEmpty() ? url.toDisplayString() : path, qt_error_string(error));
        return {};
    }
    // The package question is the shared one (a folder with a package extension), asked of the one
    // status read above.
    const bool isDirectory = S_ISDIR(status.st_mode);
    if (isDirectory && PackageTypes::hasPackageExtension(path))
        return libraryType(path);
    return isDirectory ? containerTypeDirectory : ContainerType();
}

bool pairsiftingSupported(const QUrl& url)
{
    return !containerType(url).isNull();
}

} // namespace pairsift
