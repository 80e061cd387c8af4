#include "model/FileItem.h"

#include "model/FileAttributes.h"
#include "model/FileChunkReader.h"
#include "model/InternedString.h"
#include "model/PairsiftCompare.h"
#include "model/digest/CspService.h"
#include "model/digest/Digest.h"
#include "model/digest/MurmurHash3.h"
#include "photolibs/ContainerType.h"
#include "platform/ConsoleLog.h"
#include "platform/Format.h"
#include "platform/PackageTypes.h"
#include "support/foundation/CopyNumber.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>

#include <unistd.h>

namespace pairsift {

// A large scan holds a million items at once.
static_assert(sizeof(FileItem) <= 136, "FileItem grew: keep rarely set values in its extras");

namespace {

const QString& textOrNull(const QString* text)
{
    static const QString null;
    return text ? *text : null;
}

// The description of a date or of data, as "%@" prints the platform's objects.
QString describe(const QDateTime& date)
{
    return date.isValid() ? date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000")) : QStringLiteral("(null)");
}

QString describe(const std::optional<Sha1Digest>& digest)
{
    if (!digest)
        return QStringLiteral("(null)");
    // "<0a1b2c3d 4e5f6a7b ...>": four bytes per group.
    const QString hex = QString::fromLatin1(digest->toByteArray().toHex());
    QString text = QStringLiteral("<");
    for (qsizetype group = 0; group < hex.size(); group += 8) {
        if (group > 0)
            text += QLatin1Char(' ');
        text += hex.mid(group, 8);
    }
    return text + QLatin1Char('>');
}

int compareNumbers(qint64 left, qint64 right)
{
    return left < right ? -1 : (left > right ? 1 : 0);
}

// Whether UTF-8 gives the text back: a lone surrogate cannot be written in it.
bool isUtf8Exact(QStringView text)
{
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text[index];
        if (!character.isSurrogate())
            continue;
        if (!character.isHighSurrogate() || index + 1 == text.size() || !text[index + 1].isLowSurrogate())
            return false;
        ++index;
    }
    return true;
}

} // namespace

FileItem::FileItem(const QString& name)
{
    setName(name);
}

FileItem::FileItem(EncodedName name)
{
    const QByteArrayView path = name.bytes;
    // Decoding drops a leading byte-order mark and replaces what is not UTF-8, and an empty text may
    // decode to a null one: those paths are kept as the text they decode to.
    if (path.isEmpty() || path.startsWith("\xEF\xBB\xBF") || !path.isValidUtf8()) {
        setName(QString::fromUtf8(path));
        return;
    }
    // A separator byte is never part of another character in UTF-8.
    const qsizetype separator = path.lastIndexOf('/');
    if (separator >= 0) {
        const QByteArrayView folder = path.first(separator);
        m_folder = name.folders ? name.folders->ofEncoded(folder) : FileItemFolder::ofEncoded(folder);
    }
    m_baseName = FileItemName(path.sliced(separator + 1));
}

QString FileItem::name() const
{
    if (hasExactName())
        return *m_extras.load(std::memory_order_acquire)->exactName;
    const QByteArrayView own = m_baseName.bytes();
    if (m_folder.isNull())
        return FileItemName::textOf(own);
    const QString& folder = m_folder.text();
    QString path;
    path.reserve(folder.size() + 1 + own.size());
    path.append(folder).append(QLatin1Char('/'));
    const bool isAscii = std::all_of(own.begin(), own.end(), [](char byte) { return static_cast<signed char>(byte) >= 0; });
    if (isAscii)
        path.append(QLatin1StringView(own.data(), own.size()));
    else
        path.append(FileItemName::textOf(own));
    return path;
}

void FileItem::setName(const QString& name)
{
    if (name.isNull() || !isUtf8Exact(name)) {
        m_folder = FileItemFolder();
        m_baseName = FileItemName();
        extras().exactName = name;
        return;
    }
    if (Extras* extras = m_extras.load(std::memory_order_acquire))
        extras->exactName.reset();
    const qsizetype separator = name.lastIndexOf(QLatin1Char('/'));
    m_folder = separator < 0 ? FileItemFolder() : FileItemFolder::of(QStringView(name).left(separator));
    const QStringView own = QStringView(name).mid(separator + 1);
    // Most names are ASCII and short: their bytes need no conversion and no allocation.
    std::array<char, 64> ascii;
    if (own.size() <= static_cast<qsizetype>(ascii.size())
        && std::all_of(own.begin(), own.end(), [](QChar character) { return character.unicode() < 0x80; })) {
        std::transform(own.begin(), own.end(), ascii.begin(), [](QChar character) { return static_cast<char>(character.unicode()); });
        m_baseName = FileItemName(QByteArrayView(ascii.data(), own.size()));
    } else {
        m_baseName = FileItemName(own.toUtf8());
    }
}

bool FileItem::hasExactName() const
{
    const Extras* extras = m_extras.load(std::memory_order_acquire);
    return extras && extras->exactName;
}

QString FileItem::baseName() const
{
    const QByteArrayView own = m_baseName.bytes();
    // A path that ends with a separator names the component before it.
    if (own.isEmpty() || hasExactName())
        return lastPathComponent(name());
    return m_baseName.toString();
}

QByteArray FileItem::encodedName() const
{
    if (hasExactName() || m_folder.isNull())
        return QFile::encodeName(name());
    const QByteArray& folder = m_folder.bytes();
    const QByteArrayView own = m_baseName.bytes();
    QByteArray path;
    path.reserve(folder.size() + 1 + own.size());
    path.append(folder).append('/').append(own);
    return path;
}

bool FileItem::nameStartsWith(const QString& prefix) const
{
    if (hasExactName() || m_folder.isNull())
        return name().startsWith(prefix);
    const QString& folder = m_folder.text();
    if (prefix.size() <= folder.size())
        return folder.startsWith(prefix);
    return prefix.startsWith(folder) && prefix.at(folder.size()) == QLatin1Char('/')
        && m_baseName.toString().startsWith(QStringView(prefix).mid(folder.size() + 1));
}

FileItem::~FileItem()
{
    delete m_extras.load(std::memory_order_acquire);
}

FileItem::Extras& FileItem::extras() const
{
    Extras* existing = m_extras.load(std::memory_order_acquire);
    if (existing)
        return *existing;
    auto made = std::make_unique<Extras>();
    if (m_extras.compare_exchange_strong(existing, made.get(), std::memory_order_acq_rel))
        return *made.release();
    return *existing; // another thread made them first
}

FileItemPtr FileItem::copy() const
{
    auto copied = create(name());
    if (const Extras* extras = m_extras.load(std::memory_order_acquire)) {
        copied->setRemainingFileName(extras->remainingFileName);
        copied->extras().preview.store(extras->preview.load());
    }
    copied->m_dateCreated = m_dateCreated;
    copied->m_sha1 = m_sha1;
    copied->m_markedForRemoval = m_markedForRemoval;
    copied->m_totalSize = m_totalSize;
    copied->m_fileId = m_fileId;
    copied->m_containerType = m_containerType;
    copied->m_containerPath = m_containerPath;
    return copied;
}

const QString& FileItem::remainingFileName() const
{
    const Extras* extras = m_extras.load(std::memory_order_acquire);
    return textOrNull(extras ? &extras->remainingFileName : nullptr);
}

void FileItem::setRemainingFileName(const QString& path)
{
    if (path.isNull() && !m_extras.load(std::memory_order_acquire))
        return;
    extras().remainingFileName = path;
}

QDateTime FileItem::dateCreated() const
{
    if (m_dateCreated == NoDate)
        return {};
    return QDateTime::fromMSecsSinceEpoch(m_dateCreated, Qt::UTC);
}

void FileItem::setDateCreated(const QDateTime& date)
{
    m_dateCreated = date.isValid() ? date.toMSecsSinceEpoch() : NoDate;
}

QByteArray FileItem::sha1() const
{
    return m_sha1 ? m_sha1->toByteArray() : QByteArray();
}

void FileItem::setSha1(const QByteArray& digest)
{
    m_sha1 = Sha1Digest::fromByteArray(digest);
}

const QString& FileItem::containerType() const
{
    return textOrNull(m_containerType);
}

void FileItem::setContainerType(const QString& type)
{
    m_containerType = internedString(type);
}

const QString& FileItem::containerPath() const
{
    return textOrNull(m_containerPath);
}

void FileItem::setContainerPath(const QString& path)
{
    m_containerPath = internedString(path);
}

void FileItem::setContainerOf(const FileItem& other)
{
    m_containerType = other.m_containerType;
    m_containerPath = other.m_containerPath;
}

std::optional<FileId> FileItem::fileId() const
{
    if (m_fileId.inode == 0)
        return std::nullopt;
    return m_fileId;
}

bool FileItem::isApertureFile() const
{
    return m_containerType && *m_containerType == containerTypeAperture;
}

bool FileItem::isiPhotoFile() const
{
    return m_containerType && *m_containerType == containerTypeiPhoto;
}

bool FileItem::isRegularFile() const
{
    return m_containerType && *m_containerType == containerTypeDirectory;
}

std::optional<FileId> FileItem::fillAttributes(quint64 mask)
{
    if (!(mask & AllAttributes))
        return std::nullopt;
    const std::optional<FileAttributes> attributes = readFileAttributes(name());
    if (!attributes) {
        m_totalSize = 0;
        m_dateCreated = NoDate;
        m_fileId = FileId{};
        return std::nullopt;
    }
    m_fileId = attributes->id;
    if (mask & AttributeSize)
        m_totalSize = attributes->size;
    if (mask & AttributeCreationDate)
        m_dateCreated = attributes->creationMSecs;
    return attributes->id;
}

void FileItem::setAttributes(const FileAttributes& attributes)
{
    m_totalSize = attributes.size;
    m_dateCreated = attributes.creationMSecs;
    m_fileId = attributes.id;
}

QByteArray FileItem::readHead(quint64 length) const
{
    const int descriptor = openContent(*this, nullptr).descriptor;
    if (descriptor < 0)
        return {};
    // Grown read by read, so a huge length never asks for much more memory than the file holds.
    QByteArray head(0, Qt::Uninitialized); // empty, not null: the file could be opened
    bool failed = false;
    while (static_cast<quint64>(head.size()) < length) {
        const qsizetype before = head.size();
        head.resize(before + static_cast<qsizetype>(std::min<quint64>(length - static_cast<quint64>(before), ChunkSize)));
        ssize_t count;
        do {
            count = ::read(descriptor, head.data() + before, static_cast<size_t>(head.size() - before));
        } while (count < 0 && errno == EINTR);
        head.resize(before + std::max<ssize_t>(count, 0));
        if (count <= 0) {
            failed = count < 0;
            break;
        }
    }
    ::close(descriptor);
    return failed ? QByteArray() : head;
}

std::optional<quint32> FileItem::computeMurmurHash(const HashProgressBlock& progress, const LocationFolders* folders) const
{
    std::uint32_t h1 = 0;
    std::uint32_t carry = 0;
    const auto totalLength = static_cast<std::uint32_t>(m_totalSize);
    FileChunkReader reader(*this, folders);
    const ChunkReadOutcome outcome = reader.run(progress,
        [&](const std::byte* bytes, qsizetype count, bool isLast) {
            murmur3_32_process(&h1, &carry, bytes, static_cast<int>(count));
            if (isLast)
                h1 = murmur3_32_result(h1, carry, totalLength);
        });
    if (outcome == ChunkReadOutcome::OpenFailed || outcome == ChunkReadOutcome::ReadFailed)
        return std::nullopt;
    return h1;
}

void FileItem::computeSHA1(const HashProgressBlock& progress)
{
    m_sha1 = contentSHA1(progress);
}

std::optional<Sha1Digest> FileItem::contentSHA1(const HashProgressBlock& progress, const LocationFolders* folders) const
{
    return contentSHA1(openContent(*this, folders), progress);
}

std::optional<Sha1Digest> FileItem::contentSHA1(const OpenedContent& content, const HashProgressBlock& progress) const
{
    std::optional<Sha1Digest> result;
    CspHandle service = 0;
    if (const CspReturn status = cspAttach(&service))
        consoleLog("Unable to get CSP handle: %d", status); // the digest then yields nothing
    {
        Digest digest(service);
        FileChunkReader reader(*this, content);
        reader.run(progress, [&](const std::byte* bytes, qsizetype count, bool isLast) {
            digest.update(bytes, static_cast<std::uint64_t>(count), isLast);
        });
        // Set only by the final update: a stop or failure before the last chunk leaves it null.
        result = Sha1Digest::fromByteArray(digest.hash());
    }
    cspDetach(service);
    return result;
}

QString FileItem::description() const
{
    return formatString("{name: '%@', containerType: '%@', containerPath: '%@'}", name(), containerType(), containerPath());
}

QString FileItem::debugDescription() const
{
    return formatString("FileItem {name: %@, size: %@, dateCreated: %@, hash: %@, containerType: %@, containerPath: %@}",
        name(), sizeString(), describe(dateCreated()), describe(m_sha1), containerType(), containerPath());
}

int FileItem::compare(const FileItem& other) const
{
    const int result = QString::compare(name(), other.name());
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int FileItem::reverseCompare(const FileItem& other) const
{
    return other.compare(*this);
}

QList<FileSortDescriptor> FileItem::sortDescriptors(bool ascending)
{
    return {
        // An unknown date orders before every known one.
        {QStringLiteral("dateCreated"), ascending, [](const FileItem& left, const FileItem& right) {
             return compareNumbers(left.m_dateCreated, right.m_dateCreated);
         }},
        // The copy number is read from the last path component alone.
        {QStringLiteral("name"), ascending, [](const FileItem& left, const FileItem& right) {
             return compareNumbers(extractCopyNumber(left.baseName()), extractCopyNumber(right.baseName()));
         }},
        {QStringLiteral("name"), true, compareCopyAware},
    };
}

int FileItem::compareCopyAware(const FileItem& left, const FileItem& right)
{
    // One folder is one prefix, and the word copy never spans a separator: a copy word in the folder
    // is the first match of both paths, with the same number, and without one the names decide.
    if (left.m_folder == right.m_folder && !left.m_folder.isNull() && !left.hasExactName() && !right.hasExactName()) {
        if (left.m_folder.containsCopyWord())
            return 0;
        return pairsiftFileNameCompare(left.m_baseName.toString(), right.m_baseName.toString());
    }
    return pairsiftFileNameCompare(left.name(), right.name());
}

QList<FileItemPtr> FileItem::sorted(const QList<FileItemPtr>& files, bool ascending)
{
    const QList<FileSortDescriptor> descriptors = sortDescriptors(ascending);
    QList<FileItemPtr> result = files;
    std::stable_sort(result.begin(), result.end(), [&](const FileItemPtr& left, const FileItemPtr& right) {
        return compareWithDescriptors(descriptors, *left, *right) < 0;
    });
    return result;
}

} // namespace pairsift
