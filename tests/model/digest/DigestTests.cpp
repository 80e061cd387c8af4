#include "model/digest/CspService.h"
#include "model/digest/Digest.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <random>

namespace pairsift {
namespace {

constexpr qsizetype readSize = 262144;

class DigestTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(cspAttach(&m_handle), 0); }
    void TearDown() override { cspDetach(m_handle); }

    // The digest of `message` fed in the given chunk sizes (the last chunk takes the rest, final).
    QByteArray stagedHash(const QByteArray& message, const std::vector<qsizetype>& chunkSizes) const
    {
        Digest digest(m_handle);
        qsizetype offset = 0;
        for (const qsizetype size : chunkSizes) {
            digest.update(message.constData() + offset, static_cast<std::uint64_t>(size), false);
            EXPECT_EQ(digest.lastError(), 0);
            offset += size;
        }
        digest.update(message.constData() + offset, static_cast<std::uint64_t>(message.size() - offset), true);
        EXPECT_EQ(digest.lastError(), 0);
        return digest.hash();
    }

    CspHandle m_handle = 0;
};

// An independent SHA-1, to check content of sizes that no published vector covers.
QByteArray independentSha1(const QByteArray& message)
{
    return QCryptographicHash::hash(message, QCryptographicHash::Sha1);
}

TEST_F(DigestTest, publishedVectorsOneShotAndStaged)
{
    struct Vector {
        QByteArray message;
        const char* hex;
    };
    const Vector vectors[] = {
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {QByteArray(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    std::mt19937 random(3);
    for (const Vector& vector : vectors) {
        SCOPED_TRACE(vector.hex);
        EXPECT_EQ(stagedHash(vector.message, {}).toHex(), vector.hex);

        // Random chunks, empty ones among them, before the final step.
        std::vector<qsizetype> chunks;
        for (qsizetype covered = 0; covered < vector.message.size();) {
            const qsizetype size = std::min<qsizetype>(random() % 3 == 0 ? 0 : random() % 100000, vector.message.size() - covered);
            chunks.push_back(size);
            covered += size;
        }
        chunks.push_back(0);
        EXPECT_EQ(stagedHash(vector.message, chunks).toHex(), vector.hex);

        CspData oneShot;
        const CspBytes bytes(reinterpret_cast<const std::uint8_t*>(vector.message.constData()), vector.message.size());
        ASSERT_EQ(cspDigestData(m_handle, CspAlgorithm::Sha1, bytes, &oneShot), 0);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(oneShot.data), static_cast<qsizetype>(oneShot.length)).toHex(),
                  vector.hex);
        cspFreeData(&oneShot);
        EXPECT_EQ(oneShot.data, nullptr);
        EXPECT_EQ(oneShot.length, 0u);
    }
}

// The file reader's loop: 256 KiB chunks, the first short one (0 bytes included) final.
TEST_F(DigestTest, readSizedChunksEndingWithAnEmptyFinalStep)
{
    std::mt19937 random(5);
    for (const qsizetype size : {qsizetype{0}, readSize - 1, readSize, readSize + 7, 2 * readSize, 3 * readSize}) {
        QByteArray content(size, Qt::Uninitialized);
        for (char& byte : content)
            byte = static_cast<char>(random());
        Digest digest(m_handle);
        int steps = 0;
        for (qsizetype offset = 0;; offset += readSize) {
            const qsizetype count = std::min(readSize, size - offset);
            digest.update(content.constData() + offset, static_cast<std::uint64_t>(count), count < readSize);
            ++steps;
            ASSERT_EQ(digest.lastError(), 0);
            if (count < readSize)
                break;
            EXPECT_TRUE(digest.hash().isNull()) << "no hash before the final step";
        }
        EXPECT_EQ(steps, size / readSize + 1);
        EXPECT_EQ(digest.hash().size(), 20);
        EXPECT_EQ(digest.hash(), independentSha1(content)) << size;
    }
}

TEST_F(DigestTest, failuresLeaveTheHashNullWithANonZeroError)
{
    CspHandle detached = 0;
    ASSERT_EQ(cspAttach(&detached), 0);
    cspDetach(detached);
    struct Case {
        const char* name;
        CspHandle handle;
        std::uint32_t algorithm;
        CspReturn initError;
    };
    const Case cases[] = {
        {"detached handle", detached, CspAlgorithm::Sha1, CspError::InvalidServiceHandle},
        {"handle never attached", -1, CspAlgorithm::Sha1, CspError::InvalidServiceHandle},
        {"unknown algorithm", m_handle, 9999, CspError::InvalidAlgorithm},
        {"not a digest algorithm", m_handle, CspAlgorithm::Aes, CspError::InvalidAlgorithm},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Digest digest(c.handle, c.algorithm);
        EXPECT_EQ(digest.lastError(), c.initError);
        digest.update("abc", 3, false);
        EXPECT_NE(digest.lastError(), 0);
        digest.update(nullptr, 0, true);
        EXPECT_EQ(digest.lastError(), CspError::InvalidContextHandle);
        EXPECT_TRUE(digest.hash().isNull());
    }
}

TEST_F(DigestTest, aSecondFinalStepFailsAndKeepsTheFirstHash)
{
    Digest digest(m_handle);
    digest.update("abc", 3, true);
    ASSERT_EQ(digest.lastError(), 0);
    const QByteArray first = digest.hash();
    digest.update("def", 3, true);
    EXPECT_EQ(digest.lastError(), CspError::InvalidContextHandle);
    EXPECT_EQ(digest.hash(), first);
}

TEST_F(DigestTest, everyContextIsReleasedWhetherFinishedOrNot)
{
    const std::size_t before = cspLiveContextCount();
    {
        Digest unfinished(m_handle);
        unfinished.update("abc", 3, false);
        Digest finished(m_handle);
        EXPECT_EQ(cspLiveContextCount(), before + 2);
        finished.update("abc", 3, true);
        EXPECT_EQ(cspLiveContextCount(), before + 1) << "the final step deletes its context";
    }
    EXPECT_EQ(cspLiveContextCount(), before) << "a stopped digest releases its context when it goes";
}

TEST_F(DigestTest, handlesAreWrittenOnlyOnSuccess)
{
    CspContextHandle context = 77;
    EXPECT_EQ(cspDigestInit(m_handle, 9999, &context), CspError::InvalidAlgorithm);
    EXPECT_EQ(context, 77u);
    ASSERT_EQ(cspDigestInit(m_handle, CspAlgorithm::Sha1, &context), 0);
    EXPECT_NE(context, 77u);

    CspData result{99, nullptr};
    EXPECT_EQ(cspDigestStep(context, true, {}, &result), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(result.data), static_cast<qsizetype>(result.length)).toHex(),
              "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    cspFreeData(&result);
    EXPECT_EQ(cspDigestStep(context, false, {}, &result), CspError::InvalidContextHandle) << "deleted by the final step";
}

TEST(CspService, startsUpOnlyOnce)
{
    ASSERT_EQ(cspStartup(), 0);
    const int attempts = cspStartupAttempts();
    EXPECT_GE(attempts, 1);
    EXPECT_EQ(cspStartup(), 0);
    CspHandle handle = 0;
    ASSERT_EQ(cspAttach(&handle), 0);
    cspDetach(handle);
    EXPECT_EQ(cspStartupAttempts(), attempts);
}

} // namespace
} // namespace pairsift
