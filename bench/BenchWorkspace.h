#pragma once

// The isolated home of a window benchmark: its settings, store, Trash and files live in one temporary
// folder, so a run never touches the user's own.

#include "platform/UserDefaults.h"
#include "support/foundation/PathClassification.h"

#include <QDir>
#include <QTemporaryDir>

namespace pairsift::bench {

// Before the application exists: everything that reads the environment must find the workspace.
inline void isolateHome(const QTemporaryDir& workspace)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* name : {"home", "data", "config", "cache"})
        QDir().mkpath(workspace.filePath(QString::fromLatin1(name)));
    qputenv("HOME", workspace.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_DATA_HOME", workspace.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", workspace.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_CACHE_HOME", workspace.filePath(QStringLiteral("cache")).toUtf8());
}

// Once the application exists.
inline void useWorkspaceSettings(const QTemporaryDir& workspace)
{
    // The files lie in the temporary folder, which the built-in table counts as the system's.
    setSystemPathTable(SystemPathTable{});
    UserDefaults::setConfigurationFolder(workspace.filePath(QStringLiteral("config/Pairsift")));
}

} // namespace pairsift::bench
