#pragma once

#include "model/FileItem.h"

#include <QElapsedTimer>
#include <QList>

namespace pairsift {

class PairsiftDatabase;

// The store's changes of a removal run's plain files, committed together at least once a second and at the
// end: a commit per file (a full sync each) would take many times longer than the Trash moves. A failed
// commit rolls its batch back and takes that batch's files out of the processed list, so they stay listed
// and staged (a later run finds them gone and only deletes their rows); the run then fails with the
// store's reason. Where no transaction can begin, each change commits on its own, as before. Removal queue.
class RemovalStoreBatch {
public:
    // Begins the first batch; `processedFiles` is the run's list, which grows as files are dealt with.
    RemovalStoreBatch(PairsiftDatabase* database, QList<FileItemPtr>& processedFiles);
    // Rolls back a batch left open by an exception.
    ~RemovalStoreBatch();
    RemovalStoreBatch(const RemovalStoreBatch&) = delete;
    RemovalStoreBatch& operator=(const RemovalStoreBatch&) = delete;

    // After each file: commits once the batch is a second old and begins the next. Throws
    // std::runtime_error with the store's reason when the commit fails.
    void fileDone();
    // Commits the open batch (also after a stop), before anything else uses the store. Throws as above.
    void finish();

private:
    void commit();

    PairsiftDatabase* m_database;
    QList<FileItemPtr>& m_processedFiles;
    // The processed files before this batch.
    qsizetype m_batchStart = 0;
    QElapsedTimer m_age;
    bool m_isOpen = false;
};

} // namespace pairsift
