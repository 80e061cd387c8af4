#pragma once

#include "platform/UserDefaults.h"
#include "settings/Filter.h"
#include "settings/LocationItem.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace pairsift {

class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The one way the program reads and writes its settings, all on UserDefaults::standard(). Reads
// never fail: a missing or unusable value gives the registered or a fixed value. Used from the main
// thread; observers are called on the thread that changed the value.
class PairsiftDefaults {
public:
    PairsiftDefaults() = delete;

    using ObserverId = UserDefaults::ObserverId;

    // Registers the default value of every setting (in memory only). The logger is not used.
    static void registerDefaultsWithLogger(const SOLoggerPtr& logger);

    // One filter per text of "filters", in order; empty when there is none.
    static QList<Filter> filterArray();
    // Stores the texts and writes the settings file at once.
    static void setFilterArray(const QList<Filter>& filters);

    // The small-file threshold in bytes: smallFileSizeValue() times the unit at smallFileSizeUnitIndex().
    static double smallFileSize();
    // "small_file_size" as the scan uses it: 100 when 0 or absent; a negative value as it is (it skips nothing).
    static qint64 smallFileSizeValue();
    // "small_file_size_unit" as the scan uses it: 1 when absent or not an index of the default units.
    static qsizetype smallFileSizeUnitIndex();
    // True when the key has no value at all.
    static bool ignoreSmallFiles();

    // The oldest form of the location list: one folder path, null when none.
    static QString directory();
    // A null directory removes the key.
    static void setDirectory(const QString& directory);

    // The scan locations in list order; when "locations" is absent, the paths of "directories";
    // nothing when both are absent. Items are never null.
    static std::optional<QList<LocationItemPtr>> locations();
    // Stores the bookmark data of the locations (a location without any is left out). Not written
    // to disk until save().
    static void setLocations(const QList<LocationItemPtr>& locations);
    static std::optional<QList<LocationItemPtr>> recentLocations();
    static void setRecentLocations(const QList<LocationItemPtr>& locations);
    static constexpr quint64 maxRecentLocations() { return 5; }

    // "name", "total" or "fileSize"; "total" for anything else.
    static QString sortKey();
    // Stored without validation; null removes the key.
    static void setSortKey(const QString& sortKey);
    static bool sortAscending();
    static void setSortAscending(bool sortAscending);

    static bool logging();
    // Called with the new value on every change (not at once).
    static ObserverId observeLogging(std::function<void(bool logging)> observer);
    static void unobserveLogging(ObserverId observer);

    static bool confirmDeleteLocation();
    // Also writes the settings file.
    static void setConfirmDeleteLocation(bool confirmDeleteLocation);

    // 0 keeps older files, 1 newer ones; any non-zero stored value reads as 1.
    static qint64 preferFiles();
    // Also writes the settings file.
    static void setPreferFiles(qint64 preferFiles);
    // Called with the current value at once and with the new value on every change.
    static ObserverId observePreferFiles(std::function<void(qint64 preferFiles)> observer);
    static void unobservePreferFiles(ObserverId observer);

    // Writes the settings file; a failure is ignored.
    static void save();
};

} // namespace pairsift
