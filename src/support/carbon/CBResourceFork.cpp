#include "support/carbon/CBResourceFork.h"

#include "platform/ConsoleLog.h"
#include "support/carbon/CarbonStrings.h"
#include "support/carbon/ExtendedAttribute.h"
#include "support/carbon/ResourceForkFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <limits>
#include <fcntl.h>
#include <unistd.h>

namespace pairsift {

namespace {

constexpr qsizetype longestName = 1024;
constexpr qint16 firstFreeId = 128;
constexpr quint8 changedAttribute = 0x02;
constexpr quint8 purgeableAttribute = 0x20;

qint32 nextFileReference()
{
    static std::atomic<qint32> last{0};
    return ++last;
}

bool fail(Error* error, int code, const QString& description)
{
    setError(error, "NSPOSIXErrorDomain", code, description);
    return false;
}

// Creates the file when it is missing; `created` tells whether this call made it.
bool createFile(const QString& path, bool* created, Error* error)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    *created = descriptor >= 0;
    if (descriptor >= 0)
        ::close(descriptor);
    return *created || errno == EEXIST || fail(error, errno, QString("\"%1\" cannot be created").arg(path));
}

} // namespace

CBResourceFork::CBResourceFork(QString path, std::optional<ForkWriterClaim> writerClaim, ResourceForkContents contents)
    : m_path(std::move(path))
    , m_writerClaim(std::move(writerClaim))
    , m_fileReference(nextFileReference())
    , m_contents(std::make_shared<ResourceForkContents>(std::move(contents)))
{
}

std::unique_ptr<CBResourceFork> CBResourceFork::resourceForkForPermission(qint8 permission, const QString& path, Error* error)
{
    const bool canWrite = permission & (writePermission | sharedReadWritePermission);
    const QFileInfo info(path);
    bool created = false;
    if (path.isEmpty() || (canWrite && !info.dir().exists())) {
        fail(error, ENOENT, QString("The folder of \"%1\" does not exist").arg(path));
        return nullptr;
    }
    if (canWrite && info.fileName().size() > longestName) {
        fail(error, ENAMETOOLONG, QString("The name of \"%1\" is too long").arg(path));
        return nullptr;
    }
    if (canWrite && !createFile(path, &created, error))
        return nullptr;
    if (QFileInfo(path).isDir()) {
        fail(error, EISDIR, QString("The folder \"%1\" has no resource fork").arg(path));
        return nullptr;
    }
    if (!info.exists() && !created) {
        fail(error, ENOENT, QString("\"%1\" does not exist").arg(path));
        return nullptr;
    }
    std::optional<ForkWriterClaim> writerClaim = canWrite ? ForkWriterClaim::claim(path, error) : std::nullopt;
    if (canWrite && !writerClaim) {
        if (created)
            QFile::remove(path);
        return nullptr;
    }
    const std::optional<QByteArray> bytes = readExtendedAttribute(path, resourceForkAttribute, error);
    std::optional<ResourceForkContents> contents;
    if (bytes && bytes->isEmpty() && canWrite) {
        contents = ResourceForkContents();
        if (!writeExtendedAttribute(path, resourceForkAttribute, *serializeResourceFork(*contents), error))
            contents.reset();
    } else if (bytes) {
        contents = parseResourceFork(*bytes);
        if (!contents)
            fail(error, EILSEQ, QString(bytes->isEmpty() ? "\"%1\" has no resource fork" : "The resource fork of \"%1\" is damaged").arg(path));
    }
    if (!contents) {
        if (created)
            QFile::remove(path);
        return nullptr;
    }
    return std::unique_ptr<CBResourceFork>(new CBResourceFork(path, std::move(writerClaim), std::move(*contents)));
}

std::unique_ptr<CBResourceFork> CBResourceFork::resourceForkForPermission(qint8 permission, const QUrl& url, Error* error)
{
    return resourceForkForPermission(permission, url.isLocalFile() ? url.toLocalFile() : QString(), error);
}

std::unique_ptr<CBResourceFork> CBResourceFork::resourceForkForReadingAtURL(const QUrl& url, Error* error)
{
    return resourceForkForPermission(readPermission, url, error);
}

std::unique_ptr<CBResourceFork> CBResourceFork::resourceForkForWritingAtURL(const QUrl& url, Error* error)
{
    return resourceForkForPermission(writePermission, url, error);
}

std::unique_ptr<CBResourceFork> CBResourceFork::resourceForkForReadingAtPath(const QString& path, Error* error)
{
    return resourceForkForPermission(readPermission, path, error);
}

std::unique_ptr<CBResourceFork> CBResourceFork::resourceForkForWritingAtPath(const QString& path, Error* error)
{
    return resourceForkForPermission(writePermission, path, error);
}

CBResourceFork::~CBResourceFork()
{
    if (m_fileReference > 0) {
        closeFile();
        consoleLog("CBAlias ERROR: you neglected to call closeFile: before disposing this CBResourceFork");
    }
}

bool CBResourceFork::closeFile(Error* error)
{
    if (m_fileReference <= 0)
        return true;
    bool written = true;
    if (m_changed) {
        const std::optional<QByteArray> bytes = serializeResourceFork(*m_contents, error);
        written = bytes && writeExtendedAttribute(m_path, resourceForkAttribute, *bytes, error);
    }
    m_fileReference = 0;
    m_contents.reset();
    m_writerClaim.reset();
    return written;
}

const Resource* CBResourceFork::find(quint32 type, qint16 id) const
{
    if (!m_contents)
        return nullptr;
    for (const Resource& resource : m_contents->resources) {
        if (resource.type == type && resource.id == id)
            return &resource;
    }
    return nullptr;
}

const Resource* CBResourceFork::find(quint32 type, const QString& name) const
{
    const std::optional<QByteArray> encoded = encodeMacRomanLatin1(name);
    if (!m_contents || !encoded || encoded->size() > 255)
        return nullptr;
    for (const Resource& resource : m_contents->resources) {
        if (resource.type == type && resource.name == *encoded)
            return &resource;
    }
    return nullptr;
}

Resource* CBResourceFork::findMutable(quint32 type, qint16 id)
{
    return const_cast<Resource*>(find(type, id));
}

bool CBResourceFork::canChange() const
{
    return m_contents && m_writerClaim;
}

std::optional<QByteArray> CBResourceFork::dataForType(quint32 type, qint16 id) const
{
    const Resource* resource = find(type, id);
    return resource ? std::optional<QByteArray>(resource->data) : std::nullopt;
}

std::optional<QByteArray> CBResourceFork::dataForType(quint32 type, const QString& name) const
{
    const Resource* resource = find(type, name);
    return resource ? std::optional<QByteArray>(resource->data) : std::nullopt;
}

bool CBResourceFork::removeType(quint32 type, qint16 id)
{
    if (m_contents && !find(type, id))
        return true;
    if (!canChange())
        return false;
    const qsizetype removed = m_contents->resources.removeIf([&](const Resource& r) { return r.type == type && r.id == id; });
    m_changed = m_changed || removed > 0;
    return true;
}

QString CBResourceFork::nameOfResourceType(quint32 type, qint16 id) const
{
    const Resource* resource = find(type, id);
    return resource ? decodeMacRomanLatin1(resource->name) : QString();
}

bool CBResourceFork::getId(qint16* id, quint32 type, const QString& name) const
{
    const Resource* resource = find(type, name);
    if (!resource || !id)
        return false;
    *id = resource->id;
    return true;
}

bool CBResourceFork::getAttributeFlags(qint16* flags, quint32 type, qint16 id) const
{
    const Resource* resource = find(type, id);
    if (!resource || !flags)
        return false;
    *flags = resource->attributes;
    return true;
}

bool CBResourceFork::setAttributeFlags(qint16 flags, quint32 type, qint16 id)
{
    consoleLog("WARRING: Currently the setAttributeFlags:forResourceType:Id: does not work");
    Resource* resource = canChange() ? findMutable(type, id) : nullptr;
    if (!resource)
        return false;
    resource->attributes = quint8(flags) & ~(changedAttribute | purgeableAttribute);
    m_changed = true;
    return true;
}

bool CBResourceFork::addData(const QByteArray& data, quint32 type, qint16 id, const QString& name)
{
    const std::optional<QByteArray> encoded = encodeMacRomanLatin1(name);
    if (!canChange() || !encoded || encoded->size() > 255)
        return false;
    Resource replacement{type, id, *encoded, 0, data};
    if (Resource* existing = findMutable(type, id))
        *existing = std::move(replacement);
    else
        m_contents->resources.append(std::move(replacement));
    m_changed = true;
    return true;
}

bool CBResourceFork::addData(const QByteArray& data, quint32 type, const QString& name)
{
    if (name.isNull())
        consoleLog("Adding a resource without specifying the name of id.");
    qint16 id = firstFreeId;
    while (find(type, id)) {
        if (id == std::numeric_limits<qint16>::max())
            return false;
        ++id;
    }
    return addData(data, type, id, name);
}

QByteArray CBResourceFork::dataForEntireResourceFork(Error* error) const
{
    if (!m_contents)
        return {};
    const std::optional<QByteArray> bytes = readExtendedAttribute(m_path, resourceForkAttribute, error);
    return bytes && !bytes->isEmpty() ? *bytes : QByteArray();
}

bool CBResourceFork::writeEntireResourceFork(const QByteArray& data, Error* error)
{
    if (data.isEmpty() || !canChange())
        return fail(error, EINVAL, "Nothing to write, or the resource fork is not open for writing");
    if (!writeExtendedAttribute(m_path, resourceForkAttribute, data, error))
        return false;
    *m_contents = parseResourceFork(data).value_or(ResourceForkContents());
    m_changed = false;
    return true;
}

ResourceTypeEnumerator CBResourceFork::resourceTypeEnumerator() const
{
    return ResourceTypeEnumerator(m_contents);
}

QList<quint32> CBResourceFork::everyResourceType() const
{
    return resourceTypeEnumerator().allObjects();
}

QByteArray CBResourceFork::iconFamilyDataForURL(const QUrl& url)
{
    return url.isLocalFile() ? iconFamilyDataForFile(url.toLocalFile()) : QByteArray();
}

QByteArray CBResourceFork::iconFamilyDataForFile(const QString& path)
{
    const QString holder = QFileInfo(path).isDir() ? path + "/Icon\r" : path;
    const std::unique_ptr<CBResourceFork> fork = resourceForkForReadingAtPath(holder);
    if (!fork)
        return {};
    const std::optional<QByteArray> family = fork->dataForType(iconFamilyType, customIconId);
    fork->closeFile();
    return family && family->startsWith("icns") ? *family : QByteArray();
}

} // namespace pairsift
