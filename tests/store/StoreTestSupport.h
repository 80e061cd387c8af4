#pragma once

#include "store/PairsiftDatabase.h"
#include "testkit/TemporaryTree.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <ostream>

struct sqlite3;

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"' << (text.isNull() ? " (null)" : "");
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << "0x" << bytes.toHex().toStdString() << (bytes.isNull() ? " (null)" : "");
}

namespace pairsift::test {

// A second, independent connection to a store file: it inspects what the store wrote, prepares
// odd contents, and makes the store's statements fail (a trigger that aborts, a lock held elsewhere).
class RawConnection {
public:
    explicit RawConnection(const QString& path);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // Fails the test when the text does not run.
    void execute(const QString& sql);
    // The first column of the first row as an integer, as text (null for NULL), or of every row.
    long long integer(const QString& sql);
    QString text(const QString& sql);
    QStringList column(const QString& sql);

private:
    sqlite3* m_db = nullptr;
};

// A store file in a fresh temporary folder, opened once at construction.
class StoreFixtureBase {
public:
    StoreFixtureBase();

    QString storePath() const { return m_tree.path(QStringLiteral("PairsiftData.db3")); }
    PairsiftDatabase& store() { return *m_store; }
    std::unique_ptr<PairsiftDatabase>& storePointer() { return m_store; }
    RawConnection& raw();

    // A 20-byte digest made of one repeated byte.
    static QByteArray digest(char fill) { return QByteArray(20, fill); }

private:
    TemporaryTree m_tree;
    std::unique_ptr<PairsiftDatabase> m_store;
    std::unique_ptr<RawConnection> m_raw;
};

} // namespace pairsift::test
