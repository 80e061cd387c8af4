#include "settings/PairsiftDefaults.h"

#include "platform/ConsoleLog.h"
#include "settings/HVRFileSizeUnit.h"
#include "settings/SettingsKeys.h"

#include <QStringList>

namespace pairsift {

namespace {

UserDefaults& defaults()
{
    return UserDefaults::standard();
}

bool isString(const QVariant& value)
{
    return value.metaType().id() == QMetaType::QString;
}

// An array as the console log shows it: "(", one element per indented line, ")".
QString describeList(const QStringList& elements)
{
    QString text = QStringLiteral("(\n");
    for (qsizetype index = 0; index < elements.size(); ++index)
        text += QStringLiteral("    ") + elements.at(index) + (index + 1 < elements.size() ? ",\n" : "\n");
    return text + QLatin1Char(')');
}

QString describeLocations(const QList<LocationItemPtr>& locations)
{
    QStringList paths;
    for (const LocationItemPtr& location : locations)
        paths.append(location->description());
    return describeList(paths);
}

// The texts and key of one list of locations kept as bookmark data.
struct BookmarkList {
    const char* key;
    const char* mappedText;
    const char* loadedText;
    const char* savingText;
    const char* missingDataText;
};

const BookmarkList scanLocations{
    SettingsKey::Locations,
    "Mapped bookmark data to location: %@",
    "Loaded secure bookmarks from defaults: %@",
    "Saving locations to defaults: %@",
    "Cannot get bookmark data for location: %@",
};

const BookmarkList recentScanLocations{
    SettingsKey::RecentLocations,
    "Mapped bookmark data to recent location: %@",
    "Loaded secure bookmarks from defaults into recent locations: %@",
    "Saving recent locations to defaults: %@",
    "Cannot get bookmark data for recent location: %@",
};

// Elements that are not data, or whose data no longer resolves, are left out.
std::optional<QList<LocationItemPtr>> loadBookmarks(const BookmarkList& list)
{
    const std::optional<QVariantList> stored = defaults().arrayValue(list.key);
    if (!stored)
        return std::nullopt;
    QList<LocationItemPtr> locations;
    for (const QVariant& element : *stored) {
        if (element.metaType().id() != QMetaType::QByteArray)
            continue;
        if (LocationItemPtr location = LocationItem::withBookmarkData(element.toByteArray())) {
            consoleLog(list.mappedText, *location);
            locations.append(location);
        }
    }
    consoleLog(list.loadedText, describeLocations(locations));
    return locations;
}

void storeBookmarks(const BookmarkList& list, const QList<LocationItemPtr>& locations)
{
    consoleLog(list.savingText, describeLocations(locations));
    QVariantList bookmarks;
    for (const LocationItemPtr& location : locations) {
        if (location->bookmarkData().isEmpty()) {
            consoleLog(list.missingDataText, *location);
            continue;
        }
        bookmarks.append(location->bookmarkData());
    }
    defaults().setValue(list.key, bookmarks);
}

// The older form of the location list: folder paths. Elements that are not a non-empty text are left out.
std::optional<QList<LocationItemPtr>> loadDirectories()
{
    const std::optional<QVariantList> stored = defaults().arrayValue(SettingsKey::Directories);
    if (!stored)
        return std::nullopt;
    QStringList paths;
    for (const QVariant& element : *stored)
        paths.append(element.toString());
    consoleLog("Paths: %@", describeList(paths));

    QList<LocationItemPtr> locations;
    for (const QVariant& element : *stored) {
        if (isString(element) && !element.toString().isEmpty())
            locations.append(LocationItem::withPath(element.toString()));
    }
    return locations;
}

} // namespace

void PairsiftDefaults::registerDefaultsWithLogger(const SOLoggerPtr& /*logger*/)
{
    defaults().registerDefaults({
        {SettingsKey::SortKey, QStringLiteral("total")},
        {SettingsKey::SortAscending, QStringLiteral("NO")},
        {SettingsKey::IgnoreSmallFiles, QStringLiteral("YES")},
        {SettingsKey::SmallFileSize, 100},
        {SettingsKey::Logging, QStringLiteral("NO")},
        {SettingsKey::ConfirmDeleteLocation, QStringLiteral("YES")},
        {SettingsKey::PreferFiles, qint64(0)},
        {SettingsKey::Filters, QVariantList{QStringLiteral("CVSROOT")}},
        {SettingsKey::SmallFileSizeUnit, 1u},
    });
}

QList<Filter> PairsiftDefaults::filterArray()
{
    QList<Filter> filters;
    for (const QVariant& element : defaults().arrayValue(SettingsKey::Filters).value_or(QVariantList())) {
        if (isString(element))
            filters.append(Filter(element.toString()));
    }
    return filters;
}

void PairsiftDefaults::setFilterArray(const QList<Filter>& filters)
{
    QVariantList globs;
    for (const Filter& filter : filters)
        globs.append(filter.glob());
    defaults().setValue(SettingsKey::Filters, globs);
    if (!defaults().synchronize())
        consoleLog("Unable to write preferences to disk.");
}

double PairsiftDefaults::smallFileSize()
{
    return static_cast<double>(smallFileSizeValue())
        * HVRFileSizeUnit::defaultFileSizeUnits().at(smallFileSizeUnitIndex()).mul();
}

qint64 PairsiftDefaults::smallFileSizeValue()
{
    const qint64 size = defaults().integerValue(SettingsKey::SmallFileSize);
    return size != 0 ? size : 100;
}

qsizetype PairsiftDefaults::smallFileSizeUnitIndex()
{
    const qint64 unitIndex = defaults().value(SettingsKey::SmallFileSizeUnit).isValid()
                                 ? defaults().integerValue(SettingsKey::SmallFileSizeUnit)
                                 : 1;
    // Compared as unsigned, so a negative index is out of range too.
    return static_cast<quint64>(unitIndex) < static_cast<quint64>(HVRFileSizeUnit::defaultFileSizeUnits().size())
               ? unitIndex
               : 1;
}

bool PairsiftDefaults::ignoreSmallFiles()
{
    if (!defaults().value(SettingsKey::IgnoreSmallFiles).isValid())
        return true;
    return defaults().boolValue(SettingsKey::IgnoreSmallFiles);
}

QString PairsiftDefaults::directory()
{
    return defaults().stringValue(SettingsKey::Directory);
}

void PairsiftDefaults::setDirectory(const QString& directory)
{
    if (directory.isNull())
        defaults().removeValue(SettingsKey::Directory);
    else
        defaults().setValue(SettingsKey::Directory, directory);
}

std::optional<QList<LocationItemPtr>> PairsiftDefaults::locations()
{
    if (std::optional<QList<LocationItemPtr>> locations = loadBookmarks(scanLocations))
        return locations;
    return loadDirectories();
}

void PairsiftDefaults::setLocations(const QList<LocationItemPtr>& locations)
{
    storeBookmarks(scanLocations, locations);
}

std::optional<QList<LocationItemPtr>> PairsiftDefaults::recentLocations()
{
    return loadBookmarks(recentScanLocations);
}

void PairsiftDefaults::setRecentLocations(const QList<LocationItemPtr>& locations)
{
    storeBookmarks(recentScanLocations, locations);
}

QString PairsiftDefaults::sortKey()
{
    const QString sortKey = defaults().stringValue(SettingsKey::SortKey);
    static const QStringList validKeys{QStringLiteral("name"), QStringLiteral("total"), QStringLiteral("fileSize")};
    return validKeys.contains(sortKey) ? sortKey : QStringLiteral("total");
}

void PairsiftDefaults::setSortKey(const QString& sortKey)
{
    if (sortKey.isNull())
        defaults().removeValue(SettingsKey::SortKey);
    else
        defaults().setValue(SettingsKey::SortKey, sortKey);
}

bool PairsiftDefaults::sortAscending()
{
    return defaults().boolValue(SettingsKey::SortAscending);
}

void PairsiftDefaults::setSortAscending(bool sortAscending)
{
    defaults().setValue(SettingsKey::SortAscending, sortAscending);
}

bool PairsiftDefaults::logging()
{
    return defaults().boolValue(SettingsKey::Logging);
}

PairsiftDefaults::ObserverId PairsiftDefaults::observeLogging(std::function<void(bool logging)> observer)
{
    // The new value is read back through the typed read, so an unusable value reports its fallback.
    return defaults().addObserver(SettingsKey::Logging, [observer = std::move(observer)](const QVariant&) {
        observer(logging());
    });
}

void PairsiftDefaults::unobserveLogging(ObserverId observer)
{
    defaults().removeObserver(observer);
}

bool PairsiftDefaults::confirmDeleteLocation()
{
    return defaults().boolValue(SettingsKey::ConfirmDeleteLocation);
}

void PairsiftDefaults::setConfirmDeleteLocation(bool confirmDeleteLocation)
{
    defaults().setValue(SettingsKey::ConfirmDeleteLocation, confirmDeleteLocation);
    save();
}

qint64 PairsiftDefaults::preferFiles()
{
    return defaults().integerValue(SettingsKey::PreferFiles) != 0 ? 1 : 0;
}

void PairsiftDefaults::setPreferFiles(qint64 preferFiles)
{
    defaults().setValue(SettingsKey::PreferFiles, preferFiles);
    save();
}

PairsiftDefaults::ObserverId PairsiftDefaults::observePreferFiles(std::function<void(qint64 preferFiles)> observer)
{
    return defaults().addObserver(
        SettingsKey::PreferFiles, [observer = std::move(observer)](const QVariant&) { observer(preferFiles()); },
        true);
}

void PairsiftDefaults::unobservePreferFiles(ObserverId observer)
{
    defaults().removeObserver(observer);
}

void PairsiftDefaults::save()
{
    defaults().synchronize();
}

} // namespace pairsift
