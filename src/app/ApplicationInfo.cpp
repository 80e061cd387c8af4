#include "app/ApplicationInfo.h"

namespace pairsift {

QString ApplicationInfo::version()
{
    return QStringLiteral(PAIRSIFT_VERSION);
}

QString ApplicationInfo::buildVersion()
{
    const QString build = QStringLiteral(PAIRSIFT_BUILD_VERSION);
    return build.isEmpty() ? version() : build;
}

QUrl ApplicationInfo::updateFeedURL()
{
    return QUrl(QStringLiteral(PAIRSIFT_UPDATE_FEED_URL));
}

} // namespace pairsift
