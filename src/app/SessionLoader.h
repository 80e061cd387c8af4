#pragma once

#include "model/FileItem.h"
#include "model/Session.h"
#include "platform/RunOutcome.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace pairsift {

class PairsiftDatabase;
class SerialQueue;

// Reads the store's live rows with a SHA-1 on its own serial queue and puts the files of each digest in
// keep-rule order there, so that a large store never stalls the main thread; the session is filled from
// the result on the main thread, where adding the files in that order leaves every group sorted.
class SessionLoader : public QObject {
    Q_OBJECT

public:
    // The store's staged rows, read with the files so that the main thread need not count them.
    struct StagedRows {
        bool isRead = false;
        std::uint64_t count = 0;
        std::uint64_t size = 0;
        // Why they could not be counted.
        QString failure;
    };
    // Any thread.
    static StagedRows readStagedRows(PairsiftDatabase& db);
    // Finished with every file, or failed (a read that stopped half-way, an exception) with the reason
    // and no files.
    // `loaded` is the completion's to take over.
    using Completion =
        std::function<void(const RunOutcome& outcome, Session::LoadedFiles& loaded, const StagedRows& staged)>;

    explicit SessionLoader(std::shared_ptr<PairsiftDatabase> db, QObject* parent = nullptr);
    // Waits for a read in progress; its completion is then not called.
    ~SessionLoader() override;

    // Main thread; returns at once. The files of one digest are ordered by the keep rule with the
    // location paths (in list order) and the prefer-files value. `done` runs on the main thread once with
    // the outcome and the files, unless a later load was asked for in the meantime (only the latest one
    // completes) or the loader is gone.
    void load(const QStringList& locationPaths, qint64 preferFiles, Completion done);
    // Any thread: the files grouped by digest, each group in keep-rule order (groups in no set order).
    static std::vector<FileItemPtr> sortedByKeepRule(const std::vector<FileItemPtr>& files,
        const QStringList& locationPaths, qint64 preferFiles);
    // From a load() call until its completion ran (or was superseded by one that ran).
    bool isLoading() const { return m_pendingGeneration != 0; }

private:
    std::shared_ptr<PairsiftDatabase> m_db;
    std::unique_ptr<SerialQueue> m_queue;
    quint64 m_generation = 0;
    // The generation whose completion is awaited, 0 when none.
    quint64 m_pendingGeneration = 0;
};

} // namespace pairsift
