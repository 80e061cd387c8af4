#pragma once

#include <QString>
#include <QStringList>

namespace pairsift {

class CrashReporter;

// What the reporter asks of the program it watches.
class CrashReporterDelegate {
public:
    virtual ~CrashReporterDelegate() = default;
    // The reporter is done with the user for now: the program's main window comes back to the front.
    virtual void showMainApplicationWindowForCrashManager(CrashReporter& manager) = 0;
};

// Keeps a report of every failure the program survived (an exception that an event handler let out).
// There is no service to send them to, so reports stay in "CrashReports" in the application's folder,
// where a user can attach them to a message.
class CrashReporter {
public:
    static CrashReporter& sharedManager();

    // The program's identifier with the reporting service: 32 lower-case hexadecimal digits.
    static QString applicationIdentifier() { return QStringLiteral("7d41c0e9b2a86f35d1e04c9a7b3f2e68"); }

    // The delegate is not owned; it leaves with removeDelegate() before it goes.
    void configureWithIdentifier(const QString& identifier, CrashReporterDelegate* delegate = nullptr);
    void removeDelegate(const CrashReporterDelegate* delegate);
    const QString& identifier() const { return m_identifier; }
    // Reports are sent without asking; with nowhere to send them, they are kept.
    void setAutoSubmitCrashReport(bool autoSubmit) { m_autoSubmit = autoSubmit; }
    bool autoSubmitCrashReport() const { return m_autoSubmit; }
    // Reports are written from now on. Reports of earlier runs are kept where they are, so there is nothing
    // to ask the user: the delegate shows the main window at once.
    void startManager();
    bool isStarted() const { return m_isStarted; }

    // Writes a report naming the identifier, the version and `description`; answers its path, or null
    // when it could not be written (or the manager is not started).
    QString writeReport(const QString& description);
    // Null when there is no application folder.
    static QString reportsDirectory();
    // The reports kept so far, oldest first.
    QStringList reports() const;

private:
    QString m_identifier;
    CrashReporterDelegate* m_delegate = nullptr;
    bool m_autoSubmit = false;
    bool m_isStarted = false;
};

} // namespace pairsift
