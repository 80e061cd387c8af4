#pragma once

#include "platform/Error.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <mutex>
#include <vector>

namespace pairsift {

// A logger's list of extra descriptors, shared by all the clients opened for it on any thread. Clients
// write only while holding the list, and only to entries it still holds, so a removal, once it returns,
// is final for every thread.
class LoggingDescriptors {
public:
    struct Entry {
        int fileDescriptor;
        // Unique within the list's life: a descriptor number unlisted and listed again is a new entry.
        std::uint64_t identifier;
    };

    LoggingDescriptors() = default;
    // Closes the files the list owns.
    ~LoggingDescriptors();

    LoggingDescriptors(const LoggingDescriptors&) = delete;
    LoggingDescriptors& operator=(const LoggingDescriptors&) = delete;

    void add(int fileDescriptor);
    // Opens the file for appending (created 0644 when missing) and lists it as owned. Answers the
    // descriptor, or -1 with `error` filled.
    int openOwnedFile(const QString& path, Error* error);
    // Unlists every entry of the descriptor, waiting for writes in progress; closes it when owned.
    void remove(int fileDescriptor);
    // Unlists everything and closes the owned files.
    void removeAll();

    std::vector<Entry> entries() const;
    QList<int> fileDescriptors() const;

    // Keeps the list unchanged while the holder writes; a removal waits for the holder to finish. One
    // holder at a time (not a reader-writer lock): a steady stream of messages can never starve a removal,
    // and the logger's lines stay whole even where one write(2) would not be atomic (long lines to a pipe).
    std::unique_lock<std::mutex> holdForWriting() const { return std::unique_lock(m_mutex); }
    // Call while holding the list.
    bool isListed(std::uint64_t identifier) const;

private:
    void closeOwned(int fileDescriptor);

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::vector<int> m_ownedFiles;
    std::uint64_t m_nextIdentifier = 1;
};

} // namespace pairsift
