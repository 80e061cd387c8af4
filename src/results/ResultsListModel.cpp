#include "results/ResultsListModel.h"

#include "model/Session.h"
#include "platform/Format.h"
#include "results/IconAndKindCache.h"
#include "results/ResultsImages.h"
#include "support/foundation/DateFormatting.h"
#include "support/foundation/ImageAndTextCellData.h"
#include "support/foundation/PairsiftColors.h"
#include "support/foundation/SizeFormatting.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

namespace pairsift {

namespace {

constexpr quintptr GroupRowId = 0;

// A file row's internal id is its group's row + 1, scrambled by an odd factor (undone by its inverse modulo
// 2^64). Qt hashes an index as (row << 4) + column + id: ids counting up would crowd the persistent
// indexes of a large selection into one run of the hash table, and every lookup would walk it.
constexpr std::uint64_t IdFactor = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t inverseOf(std::uint64_t odd)
{
    std::uint64_t inverse = odd; // right in the lowest 3 bits; each step doubles that
    for (int step = 0; step < 5; ++step)
        inverse *= 2 - odd * inverse;
    return inverse;
}
constexpr std::uint64_t IdInverse = inverseOf(IdFactor);
static_assert(IdFactor * IdInverse == 1 && sizeof(quintptr) == sizeof(std::uint64_t));

quintptr fileRowId(int groupRow)
{
    return static_cast<quintptr>((static_cast<std::uint64_t>(groupRow) + 1) * IdFactor);
}

int groupRowOfFileRow(const QModelIndex& index)
{
    return static_cast<int>(static_cast<std::uint64_t>(index.internalId()) * IdInverse - 1);
}

QString sizeText(quint64 bytes)
{
    return stringWithDiskSpace(static_cast<double>(bytes));
}

// Only a number that is not 0 marks (Qt's mixed state is 1, so it marks too).
bool isMarkingValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    default:
        return false;
    }
}

} // namespace

ResultsListModel::ResultsListModel(Session& session, IconAndKindCache& icons, QObject* parent)
    : QAbstractItemModel(parent)
    , m_session(session)
    , m_icons(icons)
    , m_tableDateFormatter(std::make_unique<StyledDateFormatter>(StyledDateFormatter::Style::Short,
                                                                 StyledDateFormatter::Style::Short))
{
    ImageAndTextCellData::registerConversion();
    beginReload();
    endReload();
}

ResultsListModel::~ResultsListModel() = default;

QString ResultsListModel::columnIdentifier(int column)
{
    static const QString identifiers[ColumnCount] = {
        QStringLiteral("markedForRemoval"), QStringLiteral("name"), QStringLiteral("fileSize"),
        QStringLiteral("totalSize"), QStringLiteral("dateCreated")};
    return column >= 0 && column < ColumnCount ? identifiers[column] : QString();
}

QString ResultsListModel::sortKeyForColumn(int column)
{
    switch (column) {
    case NameColumn:
        return QStringLiteral("name");
    case FileSizeColumn:
        return QStringLiteral("fileSize");
    case TotalSizeColumn:
        return QStringLiteral("total");
    default:
        return {};
    }
}

int ResultsListModel::columnForSortKey(const QString& key)
{
    for (int column = 0; column < ColumnCount; ++column) {
        if (sortKeyForColumn(column) == key)
            return column;
    }
    return -1;
}

void ResultsListModel::beginReload()
{
    beginResetModel();
}

void ResultsListModel::endReload()
{
    const std::vector<Sha1Digest>& digests = m_session.sortedFileHashes();
    m_rowOfDigest.clear();
    m_rowOfDigest.reserve(digests.size());
    m_groupRows = 0;
    // Only keys that still have a group are rows (a key of a cleared session has none until the next sort).
    for (std::size_t position = 0; position < digests.size(); ++position) {
        if (!m_session.groupAtIndex(position))
            break;
        m_rowOfDigest.emplace(digests[position], static_cast<int>(position));
        m_groupRows = static_cast<int>(position) + 1;
    }
    endResetModel();
}

FileGroupPtr ResultsListModel::groupForIndex(const QModelIndex& index) const
{
    if (!index.isValid())
        return nullptr;
    const int row = index.internalId() == GroupRowId ? index.row() : groupRowOfFileRow(index);
    return row < m_groupRows ? m_session.groupAtIndex(static_cast<std::uint64_t>(row)) : nullptr;
}

FileItemPtr ResultsListModel::fileForIndex(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == GroupRowId)
        return nullptr;
    const FileGroupPtr group = groupForIndex(index);
    return group ? group->fileAtIndex(static_cast<quint64>(index.row())) : nullptr;
}

int ResultsListModel::rowForDigest(const QByteArray& sha1) const
{
    const std::optional<Sha1Digest> digest = Sha1Digest::fromByteArray(sha1);
    if (!digest)
        return -1;
    const auto found = m_rowOfDigest.find(*digest);
    return found == m_rowOfDigest.end() ? -1 : found->second;
}

QModelIndex ResultsListModel::indexForGroupRow(int row, int column) const
{
    return index(row, column);
}

QModelIndex ResultsListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    if (!parent.isValid())
        return row < m_groupRows ? createIndex(row, column, GroupRowId) : QModelIndex();
    if (parent.internalId() != GroupRowId)
        return {};
    const FileGroupPtr group = groupForIndex(parent);
    if (!group || static_cast<quint64>(row) >= group->count())
        return {};
    return createIndex(row, column, fileRowId(parent.row()));
}

QModelIndex ResultsListModel::parent(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == GroupRowId)
        return {};
    return createIndex(groupRowOfFileRow(index), 0, GroupRowId);
}

int ResultsListModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_groupRows;
    if (parent.internalId() != GroupRowId || parent.column() != 0)
        return 0;
    const FileGroupPtr group = groupForIndex(parent);
    return group ? static_cast<int>(group->count()) : 0;
}

int ResultsListModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

bool ResultsListModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_groupRows > 0;
    return parent.internalId() == GroupRowId && parent.column() == 0;
}

QVariant ResultsListModel::data(const QModelIndex& index, int role) const
{
    const FileGroupPtr group = groupForIndex(index);
    if (!group)
        return {};
    if (index.internalId() == GroupRowId)
        return groupData(*group, index.column(), role);
    const FileItemPtr file = group->fileAtIndex(static_cast<quint64>(index.row()));
    return file ? fileData(*group, file, index.column(), role) : QVariant();
}

QVariant ResultsListModel::groupData(const FileGroup& group, int column, int role) const
{
    switch (column) {
    case MarkedForRemovalColumn:
        if (role == Qt::CheckStateRole) {
            const quint64 marked = group.markedCount();
            return marked == 0 ? Qt::Unchecked : marked == group.count() ? Qt::Checked : Qt::PartiallyChecked;
        }
        break;
    case NameColumn:
        if (role == Qt::DisplayRole) {
            const FileItemPtr head = group.head();
            return QVariant::fromValue(ImageAndTextCellData{group.fileName(), m_icons.iconForPath(head->name())});
        }
        if (role == Qt::ToolTipRole)
            return group.head()->name();
        // The ignored colour holds even on a highlighted row.
        if ((role == Qt::ForegroundRole || role == HighlightedForegroundRole) && group.shouldIgnore())
            return ignoredTextColor();
        break;
    case FileSizeColumn:
        if (role == Qt::DisplayRole)
            return formatString("%lu × %@", group.count(), sizeText(group.fileSize()));
        if (role == Qt::ForegroundRole)
            return ignoredTextColor();
        break;
    case TotalSizeColumn:
        if (role == Qt::DisplayRole)
            return sizeText(group.totalSize());
        break;
    case DateCreatedColumn:
        if (role == Qt::DisplayRole)
            return QStringLiteral("");
        break;
    default:
        break;
    }
    return {};
}

QVariant ResultsListModel::fileData(const FileGroup& group, const FileItemPtr& file, int column, int role) const
{
    switch (column) {
    case MarkedForRemovalColumn:
        if (role == Qt::CheckStateRole)
            return file->markedForRemoval() ? Qt::Checked : Qt::Unchecked;
        break;
    case NameColumn:
        if (role == Qt::DisplayRole)
            return QVariant::fromValue(ImageAndTextCellData{file->name(), m_icons.iconForFile(*file)});
        if (role == Qt::ToolTipRole)
            return file->name();
        if (role == Qt::ForegroundRole) {
            if (group.shouldIgnore())
                return ignoredTextColor();
            if (group.files().constFirst() == file)
                return topItemColor();
        }
        break;
    case FileSizeColumn:
        if (role == Qt::DisplayRole)
            return file->sizeString();
        break;
    case TotalSizeColumn:
        if (role == Qt::DisplayRole)
            return QStringLiteral("");
        break;
    case DateCreatedColumn:
        if (role == Qt::DisplayRole)
            return m_tableDateFormatter->stringFromDate(file->dateCreated());
        break;
    default:
        break;
    }
    return {};
}

bool ResultsListModel::setMarked(const QModelIndex& index, const QVariant& value, bool isOptionClick)
{
    const FileGroupPtr group = groupForIndex(index);
    if (!group || index.column() != MarkedForRemovalColumn)
        return false;
    const bool isMarked = isMarkingValue(value);
    if (index.internalId() == GroupRowId) {
        group->markAllFiles(isMarked);
    } else {
        const FileItemPtr clicked = group->fileAtIndex(static_cast<quint64>(index.row()));
        if (!clicked)
            return false;
        if (isOptionClick) {
            for (const FileItemPtr& file : group->files())
                file->setMarkedForRemoval(file != clicked);
        } else {
            group->markFile(clicked, isMarked);
        }
    }
    // The group row with its children.
    const QModelIndex groupIndex = index.internalId() == GroupRowId ? index.siblingAtColumn(0) : index.parent();
    Q_EMIT dataChanged(groupIndex, groupIndex.siblingAtColumn(ColumnCount - 1));
    if (group->count() > 0)
        Q_EMIT dataChanged(this->index(0, 0, groupIndex),
                           this->index(static_cast<int>(group->count()) - 1, ColumnCount - 1, groupIndex));
    Q_EMIT marksChanged();
    return true;
}

void ResultsListModel::marksDidChange()
{
    // A change of several rows repaints the whole list, file rows included.
    if (m_groupRows > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_groupRows - 1, ColumnCount - 1));
    Q_EMIT marksChanged();
}

bool ResultsListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole)
        return false;
    const bool isOptionClick = QGuiApplication::keyboardModifiers().testFlag(Qt::AltModifier);
    return setMarked(index, value, isOptionClick);
}

Qt::ItemFlags ResultsListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Without this hint expanding all would remember every file row as expanded too.
    if (index.internalId() != GroupRowId)
        flags |= Qt::ItemNeverHasChildren;
    if (index.column() == MarkedForRemovalColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ResultsListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (section == MarkedForRemovalColumn && role == Qt::DecorationRole) {
        // Pixmaps exist only in a GUI application.
        const QImage image = namedImage(QStringLiteral("TinyTrash"));
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return QIcon(QPixmap::fromImage(image));
        return image;
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("Name");
    case FileSizeColumn:
        return QStringLiteral("Size");
    case TotalSizeColumn:
        return QStringLiteral("Total");
    case DateCreatedColumn:
        return QStringLiteral("Date Created");
    default:
        return QStringLiteral("");
    }
}

void ResultsListModel::sort(int column, Qt::SortOrder order)
{
    Q_EMIT sortRequested(column, order);
}

} // namespace pairsift
