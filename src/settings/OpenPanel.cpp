#include "settings/OpenPanel.h"

#include "platform/ConsoleLog.h"
#include "support/foundation/ApplicationFolders.h"

namespace pairsift {

void OpenPanel::chooseDirectory(const QString& path, std::function<void(const QString& path)> done)
{
    // An untouched error means none came back.
    Error error;
    if (!createAllDirectoriesForPath(path, &error))
        consoleLog("Unable to create directory: %@, error: %@", path,
            error.domain.isEmpty() ? QStringLiteral("(nil)") : error.message());

    Options options;
    options.directory = path;
    options.prompt = QStringLiteral("Choose Folder");
    options.canChooseFiles = false;
    options.canChooseDirectories = true;
    options.canCreateDirectories = true;
    run(options, [path, done = std::move(done)](const std::optional<QString>& chosenPath) {
        done(chosenPath.value_or(path));
    });
}

void OpenPanel::finish(const Completion& done, const QList<QUrl>& chosen)
{
    m_URLs = chosen;
    done(chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen.first().toLocalFile()));
}

} // namespace pairsift
