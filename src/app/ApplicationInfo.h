#pragma once

#include <QString>
#include <QUrl>

namespace pairsift {

// What the program knows about itself, fixed when it is built.
class ApplicationInfo {
public:
    ApplicationInfo() = delete;

    static QString name() { return QStringLiteral("Pairsift"); }
    // Also the logger's facility and the desktop entry's name.
    static QString identifier() { return QStringLiteral("com.lanternforges.Pairsift"); }
    // The short version, such as "0.1.0".
    static QString version();
    // The build's own number (the source revision, or the version when unknown).
    static QString buildVersion();
    // The update feed; empty when this build has none.
    static QUrl updateFeedURL();
};

} // namespace pairsift
