#include "support/carbon/PathControl.h"

namespace pairsift {

QString PathControl::path() const
{
    const QUrl url = URL();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

std::optional<CBAlias> PathControl::alias() const
{
    const QUrl url = URL();
    return url.isLocalFile() ? CBAlias::aliasWithURL(url) : std::nullopt;
}

void PathControl::setAlias(const CBAlias& alias)
{
    const QUrl url = alias.URL();
    if (url.isValid())
        setURL(url);
}

} // namespace pairsift
