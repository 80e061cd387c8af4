#include "removal/RemovalStoreBatch.h"

#include "store/PairsiftDatabase.h"

#include <stdexcept>

namespace pairsift {

namespace {

constexpr qint64 batchMilliseconds = 1000;

} // namespace

RemovalStoreBatch::RemovalStoreBatch(PairsiftDatabase* database, QList<FileItemPtr>& processedFiles)
    : m_database(database)
    , m_processedFiles(processedFiles)
    , m_batchStart(processedFiles.size())
    , m_isOpen(database && database->beginTransaction())
{
    m_age.start();
}

RemovalStoreBatch::~RemovalStoreBatch()
{
    if (m_isOpen && m_database->isInTransaction()) {
        m_database->rollback();
        m_processedFiles.resize(m_batchStart);
    }
}

void RemovalStoreBatch::fileDone()
{
    if (!m_isOpen || m_age.elapsed() < batchMilliseconds)
        return;
    commit();
    m_isOpen = m_database->beginTransaction();
    m_age.start();
}

void RemovalStoreBatch::finish()
{
    if (m_isOpen)
        commit();
}

void RemovalStoreBatch::commit()
{
    m_isOpen = false;
    if (m_database->commit()) {
        m_batchStart = m_processedFiles.size();
        return;
    }
    m_database->rollback();
    m_processedFiles.resize(m_batchStart);
    throw std::runtime_error(m_database->lastFailure().toStdString());
}

} // namespace pairsift
