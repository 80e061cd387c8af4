#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace pairsift {

// The folders a scan could not read: all of them counted, the first few kept with the reason, so the
// window can name them whether or not the log is on.
class UnreadableFolders {
public:
    struct Folder {
        QString path;
        // In the system's words ("Permission denied").
        QString reason;
    };

    static constexpr qsizetype keptCount = 5;

    void note(const QString& path, int error);
    // These, then `later`'s.
    UnreadableFolders followedBy(const UnreadableFolders& later) const;

    std::uint64_t count() const { return m_count; }
    // The first keptCount of them, in the order met.
    const QList<Folder>& first() const { return m_first; }
    // One folder per line with its reason, and how many more there are; empty when there are none.
    QString description() const;

private:
    std::uint64_t m_count = 0;
    QList<Folder> m_first;
};

} // namespace pairsift
