#include "locations/NormalizedLocations.h"

#include "support/foundation/PathClassification.h"

namespace pairsift {

namespace {

constexpr QChar separator = QLatin1Char('/');

// Whether a folder strictly between `folder` and `path` (which lies below it) is a package.
bool passesThroughPackage(const QString& path, const QString& folder)
{
    const qsizetype firstInside = folder.endsWith(separator) ? folder.size() : folder.size() + 1;
    for (qsizetype slash = path.indexOf(separator, firstInside); slash != -1;
         slash = path.indexOf(separator, slash + 1)) {
        if (isBundle(path.left(slash)))
            return true;
    }
    return false;
}

struct Candidate {
    LocationItemPtr location;
    QString path;
    bool isPackage;
};

} // namespace

bool isPathBelowFolder(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || path.size() <= folder.size() || !path.startsWith(folder))
        return false;
    return folder.endsWith(separator) || path.at(folder.size()) == separator;
}

QList<LocationItemPtr> normalizedLocations(const QList<LocationItemPtr>& locations, bool keepBundles)
{
    QList<Candidate> candidates;
    candidates.reserve(locations.size());
    for (const LocationItemPtr& location : locations) {
        if (location)
            candidates.append({location, location->path(), isBundle(location->path())});
    }

    const auto isNested = [&](qsizetype index) {
        const Candidate& nested = candidates.at(index);
        if (nested.isPackage)
            return false;
        for (qsizetype other = 0; other < candidates.size(); ++other) {
            const Candidate& parent = candidates.at(other);
            if (other == index || !isPathBelowFolder(nested.path, parent.path))
                continue;
            if (!keepBundles)
                return true;
            if (!parent.isPackage && !passesThroughPackage(nested.path, parent.path))
                return true;
        }
        return false;
    };

    QList<LocationItemPtr> result;
    for (qsizetype index = 0; index < candidates.size(); ++index) {
        if (!isNested(index))
            result.append(candidates.at(index).location);
    }
    return result;
}

} // namespace pairsift
