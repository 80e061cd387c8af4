#pragma once

#include "platform/Error.h"

#include <QString>

#include <optional>
#include <utility>

namespace pairsift {

// Makes an open fork the one writer of its file, known by (device, inode) so that other paths to the
// same file count too. Two writers would each write their own copy of the fork on close, and the
// second close would drop the first one's changes. The claim ends when the object is reset or
// destroyed. Safe from several threads.
class ForkWriterClaim {
public:
    // Nothing when the file cannot be found, or when another fork holds it (said on the console too).
    static std::optional<ForkWriterClaim> claim(const QString& path, Error* error = nullptr);

    ForkWriterClaim(ForkWriterClaim&& other) noexcept : m_file(std::exchange(other.m_file, std::nullopt)) {}
    ForkWriterClaim& operator=(ForkWriterClaim&& other) noexcept;
    ForkWriterClaim(const ForkWriterClaim&) = delete;
    ForkWriterClaim& operator=(const ForkWriterClaim&) = delete;
    ~ForkWriterClaim();

private:
    using FileId = std::pair<quint64, quint64>;
    explicit ForkWriterClaim(FileId file) : m_file(file) {}
    void release();

    std::optional<FileId> m_file;
};

} // namespace pairsift
