#include "app/SessionLoader.h"

#include "model/FileGroup.h"
#include "model/Session.h"
#include "platform/SerialQueue.h"
#include "store/PairsiftDatabase.h"

#include <unordered_map>

namespace pairsift {

SessionLoader::SessionLoader(std::shared_ptr<PairsiftDatabase> db, QObject* parent)
    : QObject(parent)
    , m_db(std::move(db))
    , m_queue(std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.loading")))
{
}

SessionLoader::~SessionLoader()
{
    // Joined before the store can go; the hand-offs it posted are dropped with this object.
    m_queue->shutdown(false);
}

// Loading queue: reads the store (which the main thread leaves alone while a load is pending, because
// every command that writes it is disabled while busy). A failed step fails the load: some of the rows
// are not the results.
void SessionLoader::load(const QStringList& locationPaths, qint64 preferFiles, Completion done)
{
    const quint64 generation = ++m_generation;
    m_pendingGeneration = generation;
    m_queue->async([this, generation, db = m_db, locationPaths, preferFiles, done = std::move(done)] {
        auto loaded = std::make_shared<Session::LoadedFiles>();
        const RunOutcome outcome = outcomeOf([&] {
            bool isComplete = false;
            *loaded = Session::groupLoadedFiles(
                sortedByKeepRule(Session::readFilesWithDigest(*db, &isComplete), locationPaths, preferFiles));
            return isComplete ? RunOutcome::finished() : RunOutcome::failed(db->lastFailure());
        });
        if (outcome.hasFailed())
            *loaded = {};
        const StagedRows staged = readStagedRows(*db);
        QMetaObject::invokeMethod(
            this,
            [this, generation, outcome, loaded, staged, done] {
                if (generation != m_generation)
                    return;
                m_pendingGeneration = 0;
                done(outcome, *loaded, staged);
            },
            Qt::QueuedConnection);
    });
}

SessionLoader::StagedRows SessionLoader::readStagedRows(PairsiftDatabase& db)
{
    StagedRows staged;
    Error error;
    staged.isRead = db.getTrashFileCount(&staged.count, &staged.size, &error);
    if (!staged.isRead)
        staged.failure = error.message();
    return staged;
}

std::vector<FileItemPtr> SessionLoader::sortedByKeepRule(const std::vector<FileItemPtr>& files,
    const QStringList& locationPaths, qint64 preferFiles)
{
    std::unordered_map<Sha1Digest, FileGroup> groups;
    std::vector<FileGroup*> order;
    for (const FileItemPtr& file : files) {
        if (!file->sha1Digest())
            continue;
        auto [entry, isNew] = groups.try_emplace(*file->sha1Digest());
        if (isNew)
            order.push_back(&entry->second);
        entry->second.addFile(file);
    }
    std::vector<FileItemPtr> sorted;
    sorted.reserve(files.size());
    for (FileGroup* group : order) {
        group->sortWithLocations(locationPaths, preferFiles);
        for (const FileItemPtr& file : group->files())
            sorted.push_back(file);
    }
    return sorted;
}

} // namespace pairsift
