#include "support/carbon/AliasRecord.h"

#include "support/carbon/MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <dirent.h>
#include <sys/stat.h>

namespace pairsift {

namespace {

constexpr quint32 magic = 0x43424152; // "CBAR"
constexpr quint16 currentVersion = 1;
constexpr quint16 folderFlag = 0x0001;

template <typename T>
void append(QByteArray& bytes, T value)
{
    char buffer[sizeof(T)];
    qToBigEndian(value, buffer);
    bytes.append(buffer, sizeof(T));
}

void appendText(QByteArray& bytes, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    append<quint32>(bytes, quint32(utf8.size()));
    bytes.append(utf8);
}

// Reads fields in order; after the first read that does not fit, every later read fails too.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    template <typename T>
    T read()
    {
        if (!m_ok || quint64(m_bytes.size()) - m_position < sizeof(T)) {
            m_ok = false;
            return T();
        }
        const T value = qFromBigEndian<T>(m_bytes.constData() + m_position);
        m_position += sizeof(T);
        return value;
    }
    QString readText()
    {
        const quint32 length = read<quint32>();
        if (!m_ok || quint64(m_bytes.size()) - m_position < length) {
            m_ok = false;
            return {};
        }
        const QString text = QString::fromUtf8(m_bytes.constData() + m_position, length);
        m_position += length;
        return text;
    }
    bool isComplete() const { return m_ok && m_position == quint64(m_bytes.size()); }

private:
    const QByteArray& m_bytes;
    quint64 m_position = 0;
    bool m_ok = true;
};

QString parentFolder(const QString& path)
{
    return QFileInfo(path).path();
}

quint64 inodeOf(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

std::optional<FileReference> referenceAt(const QString& path)
{
    FileReference reference;
    if (path.isEmpty() || !getFSRef(path, &reference))
        return std::nullopt;
    return reference;
}

} // namespace

std::optional<AliasRecord> AliasRecord::make(const FileReference& target, const QString& baseFolder)
{
    const std::optional<FileReference> current = referenceAt(target.path);
    if (!current || !compareFSRefs(*current, target))
        return std::nullopt;
    AliasRecord record;
    record.isFolder = QFileInfo(current->path).isDir();
    record.target = *current;
    record.parentInode = inodeOf(parentFolder(current->path));
    record.name = QFileInfo(current->path).fileName();
    const std::optional<MountedVolume> volume = volumeContaining(current->path);
    record.volumeName = volume ? volume->name : QString();
    record.relativePath = baseFolder.isEmpty() ? QString() : QDir(baseFolder).relativeFilePath(current->path);
    return record;
}

QByteArray AliasRecord::encode() const
{
    QByteArray bytes;
    append<quint32>(bytes, magic);
    append<quint16>(bytes, currentVersion);
    append<quint16>(bytes, isFolder ? folderFlag : 0);
    append<quint64>(bytes, target.device);
    append<quint64>(bytes, target.inode);
    append<qint64>(bytes, target.birthTime);
    append<quint64>(bytes, parentInode);
    appendText(bytes, target.path);
    appendText(bytes, name);
    appendText(bytes, volumeName);
    appendText(bytes, relativePath);
    return bytes;
}

std::optional<AliasRecord> AliasRecord::decode(const QByteArray& bytes)
{
    Reader reader(bytes);
    if (reader.read<quint32>() != magic || reader.read<quint16>() != currentVersion)
        return std::nullopt;
    AliasRecord record;
    record.isFolder = reader.read<quint16>() & folderFlag;
    record.target.device = reader.read<quint64>();
    record.target.inode = reader.read<quint64>();
    record.target.birthTime = reader.read<qint64>();
    record.parentInode = reader.read<quint64>();
    record.target.path = reader.readText();
    record.name = reader.readText();
    record.volumeName = reader.readText();
    record.relativePath = reader.readText();
    if (!reader.isComplete() || record.target.path.isEmpty())
        return std::nullopt;
    return record;
}

std::optional<FileReference> AliasRecord::resolve(bool tryFileIDFirst, const QString& baseFolder, bool* changed)
{
    const QString relative = baseFolder.isEmpty() || relativePath.isEmpty()
        ? QString()
        : QDir::cleanPath(QDir(baseFolder).filePath(relativePath));
    const auto atPaths = [&](bool sameItem) -> std::optional<FileReference> {
        for (const QString& path : {target.path, relative}) {
            const std::optional<FileReference> found = referenceAt(path);
            if (found && (!sameItem || compareFSRefs(*found, target)))
                return found;
        }
        return std::nullopt;
    };
    const auto inParentFolder = [&]() -> std::optional<FileReference> {
        const QString folder = parentFolder(target.path);
        DIR* directory = inodeOf(folder) == parentInode ? ::opendir(QFile::encodeName(folder).constData()) : nullptr;
        if (!directory)
            return std::nullopt;
        std::optional<FileReference> found;
        while (const dirent* entry = ::readdir(directory)) {
            if (entry->d_ino != target.inode)
                continue;
            found = referenceAt(QDir(folder).filePath(QFile::decodeName(entry->d_name)));
            if (found && compareFSRefs(*found, target))
                break;
            found.reset();
        }
        ::closedir(directory);
        return found;
    };

    std::optional<FileReference> found = atPaths(true);
    if (!found)
        found = tryFileIDFirst ? inParentFolder() : atPaths(false);
    if (!found)
        found = tryFileIDFirst ? atPaths(false) : inParentFolder();
    if (!found)
        return std::nullopt;
    if (found->path != target.path || !compareFSRefs(*found, target)) {
        if (std::optional<AliasRecord> rewritten = make(*found, baseFolder)) {
            if (baseFolder.isEmpty() || relativePath.isEmpty())
                rewritten->relativePath = relativePath;
            *this = *rewritten;
        }
        if (changed)
            *changed = true;
    }
    return found;
}

} // namespace pairsift
