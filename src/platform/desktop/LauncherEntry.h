#pragma once

#include <QDBusMessage>
#include <QString>

namespace pairsift {

// The desktop's launcher-entry protocol: a signal on the session bus that docks and task bars read to
// show a progress bar on the program's launcher.
class LauncherEntry {
public:
    LauncherEntry() = delete;

    // "application://" and the program's desktop file name ("pairsift.desktop" unless the application
    // says otherwise).
    static QString applicationURI();
    // The "Update" signal for `applicationURI`: "progress" (clamped to 0…1) and "progress-visible".
    static QDBusMessage updateMessage(const QString& applicationURI, double progress, bool isProgressVisible);
    // Sends updateMessage() for this program; does nothing when there is no session bus.
    static void sendUpdate(double progress, bool isProgressVisible);
};

} // namespace pairsift
