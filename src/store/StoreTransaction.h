#pragma once

namespace pairsift {

class PairsiftDatabase;

// A transaction on the store that rolls back unless it was committed, so every early return leaves
// the store as it was. A failed commit is rolled back too. The destructor never throws.
class StoreTransaction {
public:
    // Begins at once; see isActive() for whether that worked.
    explicit StoreTransaction(PairsiftDatabase& database);
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;

    // Began, and neither committed nor rolled back yet.
    bool isActive() const { return m_isActive; }

    // False when inactive or when the commit failed (the transaction is then rolled back).
    bool commit();
    bool rollback();

private:
    PairsiftDatabase& m_database;
    bool m_isActive;
};

} // namespace pairsift
