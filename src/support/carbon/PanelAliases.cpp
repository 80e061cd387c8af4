#include "support/carbon/PanelAliases.h"

namespace pairsift {

std::optional<QList<CBAlias>> aliases(const OpenPanel& panel)
{
    if (!panel.URLs())
        return std::nullopt;
    QList<CBAlias> chosen;
    for (const QUrl& url : *panel.URLs()) {
        if (std::optional<CBAlias> alias = CBAlias::aliasWithURL(url))
            chosen.append(std::move(*alias));
    }
    return chosen;
}

std::optional<CBAlias> directoryAlias(const OpenPanel::Options& panel)
{
    return panel.directory.isEmpty() ? std::nullopt : CBAlias::aliasWithURL(QUrl::fromLocalFile(panel.directory));
}

void setDirectoryAlias(OpenPanel::Options& panel, const CBAlias& alias)
{
    const QString folder = alias.path();
    if (!folder.isNull())
        panel.directory = folder;
}

} // namespace pairsift
