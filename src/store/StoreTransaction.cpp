#include "store/StoreTransaction.h"

#include "store/PairsiftDatabase.h"

namespace pairsift {

StoreTransaction::StoreTransaction(PairsiftDatabase& database)
    : m_database(database)
    , m_isActive(database.beginTransaction())
{
}

StoreTransaction::~StoreTransaction()
{
    rollback();
}

bool StoreTransaction::commit()
{
    if (!m_isActive)
        return false;
    if (m_database.commit()) {
        m_isActive = false;
        return true;
    }
    rollback();
    return false;
}

bool StoreTransaction::rollback()
{
    if (!m_isActive)
        return false;
    m_isActive = false;
    // SQLite ends a transaction itself on some failures (a full disk): nothing is left to roll back.
    if (!m_database.isInTransaction())
        return true;
    return m_database.rollback();
}

} // namespace pairsift
