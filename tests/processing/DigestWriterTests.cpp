// The thread that writes the reliable stage's digests to the store.
#include "ProcessingTestSupport.h"

#include "processing/DigestWriter.h"
#include "store/PairsiftDatabase.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

TEST(DigestWriter, storesEveryBatchOrDropsAllFromTheFirstRefusedOne)
{
    for (const bool isOpen : {true, false}) {
        TemporaryTree tree;
        const std::shared_ptr<PairsiftDatabase> store = temporaryStore(tree);
        for (const char* path : {"/w/a", "/w/b", "/w/c", "/w/d", "/w/e"})
            ASSERT_TRUE(store->addFile(QString::fromUtf8(path), 1, QDateTime(), QString(), QString()));
        if (!isOpen)
            store->close();
        DigestWriter writer(store);

        // Out of path order within a batch.
        writer.write({{"/w/c", QByteArray(20, 'c')}, {"/w/a", QByteArray(20, 'a')}, {"/w/b", QByteArray(20, 'b')}});
        writer.write({{"/w/e", QByteArray(20, 'e')}, {"/w/d", QByteArray(20, 'd')}});
        writer.waitUntilWritten();

        if (isOpen) {
            EXPECT_EQ(writer.refusedCount(), 0u);
            const QHash<QString, QByteArray> digests = storedDigests(*store);
            for (const char* path : {"/w/a", "/w/b", "/w/c", "/w/d", "/w/e"})
                EXPECT_EQ(digests.value(QString::fromUtf8(path)), QByteArray(20, path[3]));
        } else {
            EXPECT_EQ(writer.refusedCount(), 3u);
        }
    }
}

} // namespace
} // namespace pairsift::test
