#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace pairsift {

class LoggingDescriptors;

// The levels of the system log, as passed to it; a level outside 0 … 7 is clamped.
namespace SOLogLevel {
inline constexpr int Panic = 0;
inline constexpr int Alert = 1;
inline constexpr int Critical = 2;
inline constexpr int Error = 3;
inline constexpr int Warning = 4;
inline constexpr int Notice = 5;
inline constexpr int Info = 6;
inline constexpr int Debug = 7;
} // namespace SOLogLevel

// Client options; the first three bits are the system log's own.
inline constexpr std::uint32_t SOLoggerOptionStandardError = 0x1; // every message also goes to standard error
inline constexpr std::uint32_t SOLoggerOptionNoDelay = 0x2;       // connect to the system log at once
inline constexpr std::uint32_t SOLoggerOptionNoRemote = 0x4;      // remote control of the filter is ignored
// Only standard error and the descriptors receive messages (tools and tests that must not fill the system log).
inline constexpr std::uint32_t SOLoggerOptionNoSystemLog = 0x100;
inline constexpr std::uint32_t SOLoggerDefaultClientOptions =
    SOLoggerOptionStandardError | SOLoggerOptionNoDelay | SOLoggerOptionNoRemote;

// The facility of a client or message opened without one.
inline constexpr char SOLoggerDefaultFacility[] = "com.apple.console";

// One thread's connection to the system log and to its descriptors. A client is used by the thread that
// opened it; the descriptors its logger unlists are skipped by every client from the moment they are.
class SOASLClient {
public:
    static std::shared_ptr<SOASLClient> client();

    SOASLClient() = default;
    ~SOASLClient();

    SOASLClient(const SOASLClient&) = delete;
    SOASLClient& operator=(const SOASLClient&) = delete;

    // Opens for the facility ("com.apple.console" when null) and options; does nothing when open.
    void openForFacility(const QString& facility, std::uint32_t options);
    bool isOpen() const { return m_open; }
    void close();

    // Writes to the descriptor too (false when closed). The caller keeps it open while it is listed.
    bool addLoggingDescriptor(int fileDescriptor);
    bool removeLoggingDescriptor(int fileDescriptor);
    // The descriptors this client writes to, in order, including those its logger has unlisted since.
    QList<int> loggingDescriptors() const;

    const QString& facility() const { return m_facility; }
    std::uint32_t options() const { return m_options; }

    // Sends one line at `level` stamped with `facility`: one write per destination, text taken verbatim.
    // Does nothing when closed.
    void log(int level, const QString& facility, const QString& text) const;

private:
    friend class SOLogger;

    struct Destination {
        int fileDescriptor;
        // The logger's entry that listed it; 0 for a descriptor added to this client directly.
        std::uint64_t entry;
    };

    // Takes on the logger's current list; each entry is written only while the logger still lists it.
    void attachLoggerDescriptors(std::shared_ptr<const LoggingDescriptors> descriptors);

    bool m_open = false;
    QString m_facility;
    QByteArray m_systemLogIdentity;
    std::uint32_t m_options = 0;
    std::vector<Destination> m_destinations;
    std::shared_ptr<const LoggingDescriptors> m_loggerDescriptors;
};

using SOASLClientPtr = std::shared_ptr<SOASLClient>;

} // namespace pairsift
