#include "settings/OpenPanelChooseDir.h"

#include "platform/ConsoleLog.h"
#include "platform/OpenPanel.h"
#include "support/foundation/ApplicationFolders.h"

namespace pairsift {

void chooseDirectory(OpenPanel& panel, const QString& path, std::function<void(const QString& path)> done)
{
    // An untouched error means none came back.
    Error error;
    if (!createAllDirectoriesForPath(path, &error))
        consoleLog("Unable to create directory: %@, error: %@", path,
            error.domain.isEmpty() ? QStringLiteral("(nil)") : error.message());

    OpenPanel::Options options;
    options.directory = path;
    options.prompt = QStringLiteral("Choose Folder");
    options.canChooseFiles = false;
    options.canChooseDirectories = true;
    options.canCreateDirectories = true;
    panel.run(options, [path, done = std::move(done)](const std::optional<QString>& chosenPath) {
        done(chosenPath.value_or(path));
    });
}

} // namespace pairsift
