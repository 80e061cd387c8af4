#pragma once

#include "platform/Error.h"

#include <QString>

namespace pairsift {

// The standard folders the program keeps its own files in (the freedesktop.org base directories).
enum class SearchPathDirectory : unsigned long long {
    ApplicationSupport = 14, // $XDG_DATA_HOME
    Caches = 13,             // $XDG_CACHE_HOME
    Preferences = 100,       // $XDG_CONFIG_HOME
};

// Only the user's own domain has folders here.
enum SearchPathDomainMask : unsigned long long {
    UserDomainMask = 1,
    LocalDomainMask = 2,
    NetworkDomainMask = 4,
    SystemDomainMask = 8,
};

inline const char* const directoryLocationErrorDomain = "DirectoryLocationDomain";

// The standard folder (plus `component` when not null), created with its parents when missing.
// A null result comes with `error` filled; on success `error` is cleared.
QString findOrCreateDirectory(SearchPathDirectory directory, unsigned long long domainMask,
                              const QString& component, Error* error = nullptr);

// Where applicationSupportDirectory() lives, whether or not it exists yet.
QString applicationDataFolderPath();

// The application's own folder ("Pairsift" in the data folder), created owner-only; null when it
// cannot be had.
QString applicationSupportDirectory();

// "Logs" inside the application's folder, created when possible; null only without an application folder.
QString logDirectoryPath();

// Makes sure `path` is a writable folder, creating it with its parents when nothing is there.
bool createAllDirectoriesForPath(const QString& path, Error* error = nullptr);

// The home folder: $HOME, or the user's entry in the password file when $HOME is not set.
QString homePath();

} // namespace pairsift
