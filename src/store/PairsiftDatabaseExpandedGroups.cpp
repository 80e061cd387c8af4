// Which groups of the results list the user left expanded, one row per group keyed by its SHA-1. The
// table has no uniqueness constraint: adding a digest twice stores it twice.
#include "store/PairsiftDatabase.h"

#include "store/StoreTransaction.h"

#include <sqlite3.h>

namespace pairsift {

bool PairsiftDatabase::addExpandedGroup(const QByteArray& hash, Error* error)
{
    SqlStatementUse use(statement(AddExpandedGroupStatement));
    use.bindBlob(1, hash);
    return stepExpecting(use, SQLITE_DONE, error, "Error adding expanded group");
}

bool PairsiftDatabase::removeExpandedGroup(const QByteArray& hash, Error* error)
{
    SqlStatementUse use(statement(RemoveExpandedGroupStatement));
    use.bindBlob(1, hash);
    return stepExpecting(use, SQLITE_DONE, error, "Error removing expanded group");
}

bool PairsiftDatabase::isGroupExpanded(const QByteArray& hash, Error* error)
{
    SqlStatementUse use(statement(CheckExpandedGroupStatement));
    use.bindBlob(1, hash);
    return stepExpecting(use, SQLITE_ROW, error, "Error checking expanded group") && use.columnInt64(0) > 0;
}

// The transaction operations log their own failures; the caller only learns the answer.
bool PairsiftDatabase::saveExpandedGroups(const QList<QByteArray>& hashes)
{
    StoreTransaction transaction(*this);
    if (!transaction.isActive() || !clearExpandedGroups())
        return false;
    for (const QByteArray& hash : hashes) {
        if (!addExpandedGroup(hash))
            return false;
    }
    return transaction.commit();
}

QList<QByteArray> PairsiftDatabase::loadExpandedGroups()
{
    QList<QByteArray> hashes;
    SqlStatementUse use(statement(FetchExpandedGroupsStatement));
    while (use.step() == SQLITE_ROW) {
        if (QByteArray hash = use.columnBlob(0); !hash.isEmpty())
            hashes.append(std::move(hash));
    }
    return hashes;
}

bool PairsiftDatabase::clearExpandedGroups()
{
    return execute("DELETE FROM ExpandedGroups;", "Error clearing expanded groups: %s");
}

} // namespace pairsift
