#include "model/digest/extras/CryptoCipher.h"
#include "model/digest/extras/CryptoKeys.h"
#include "model/digest/extras/CryptoSignature.h"
#include "model/digest/CspService.h"

#include "testkit/TemporaryTree.h"

#include <gtest/gtest.h>

#include <memory>

namespace pairsift {
namespace {

struct KeyDeleter {
    void operator()(CspKey* key) const { cspFreeKey(key); }
};
using KeyPtr = std::unique_ptr<CspKey, KeyDeleter>;

struct ContextDeleter {
    void operator()(CspCipherContext* context) const { cspDeleteCipherContext(context); }
};
using ContextPtr = std::unique_ptr<CspCipherContext, ContextDeleter>;

CspBytes bytesOf(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

// Takes a buffer the service handed out, releases it, and answers its bytes.
QByteArray taken(CspData& data)
{
    QByteArray bytes(reinterpret_cast<const char*>(data.data), static_cast<qsizetype>(data.length));
    cspFreeData(&data);
    return bytes;
}

class CryptoTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(cspAttach(&s_handle), 0);
        CspKey* publicKey = nullptr;
        CspKey* privateKey = nullptr;
        ASSERT_EQ(cspGenerateKeyPair(s_handle, CspAlgorithm::Rsa, 2048, &publicKey, &privateKey), 0);
        s_rsaPublic.reset(publicKey);
        s_rsaPrivate.reset(privateKey);
    }
    static void TearDownTestSuite()
    {
        s_rsaPublic.reset();
        s_rsaPrivate.reset();
        cspDetach(s_handle);
    }

    static KeyPtr passwordKey(const QByteArray& password, std::uint32_t algorithm, std::uint32_t sizeInBits)
    {
        CspKey* key = nullptr;
        EXPECT_EQ(cspDeriveKeyFromPassword(s_handle, bytesOf(password), algorithm, sizeInBits, &key), 0);
        return KeyPtr(key);
    }

    static ContextPtr contextFor(const CspKey* key)
    {
        CspCipherContext* context = nullptr;
        EXPECT_EQ(cspCreateCipherContext(s_handle, key, &context), 0);
        return ContextPtr(context);
    }

    static QByteArray encrypted(const CspKey* key, const QByteArray& plain)
    {
        CspData out;
        EXPECT_EQ(cspEncrypt(contextFor(key).get(), bytesOf(plain), &out), 0);
        return taken(out);
    }

    static inline CspHandle s_handle = 0;
    static inline KeyPtr s_rsaPublic;
    static inline KeyPtr s_rsaPrivate;
};

TEST_F(CryptoTest, symmetricKeysEncryptAndDecryptInOneCallOrStaged)
{
    struct Case {
        std::uint32_t algorithm;
        std::uint32_t sizeInBits;
        bool padded;
    };
    const QByteArray plain = test::patternBytes(1000, 21);
    const QByteArray pieces[] = {plain.left(1), plain.mid(1, 0), plain.mid(1, 500), plain.mid(501)};
    const CspBytes pieceBytes[] = {bytesOf(pieces[0]), bytesOf(pieces[1]), bytesOf(pieces[2]), bytesOf(pieces[3])};
    for (const Case c : {Case{CspAlgorithm::Aes, 128, true}, Case{CspAlgorithm::Aes, 256, true},
                         Case{CspAlgorithm::ChaCha20, 256, false}}) {
        SCOPED_TRACE(testing::Message() << c.algorithm << "/" << c.sizeInBits);
        const KeyPtr key = passwordKey("secret", c.algorithm, c.sizeInBits);
        EXPECT_STREQ(cspKeyLabel(key.get()), "Pairsift derived key");
        const ContextPtr context = contextFor(key.get());
        CspData out;
        ASSERT_EQ(cspEncrypt(context.get(), bytesOf(plain), &out), 0);
        const QByteArray cipher = taken(out);
        EXPECT_NE(cipher.left(plain.size()), plain);
        EXPECT_EQ(cipher.size(), c.padded ? 1008 : 1000);

        ASSERT_EQ(cspEncryptStaged(context.get(), pieceBytes, &out), 0);
        EXPECT_EQ(taken(out), cipher);
        ASSERT_EQ(cspDecrypt(context.get(), bytesOf(cipher), &out), 0);
        EXPECT_EQ(taken(out), plain);
        const QByteArray cipherPieces[] = {cipher.left(17), cipher.mid(17)};
        const CspBytes cipherPieceBytes[] = {bytesOf(cipherPieces[0]), bytesOf(cipherPieces[1])};
        ASSERT_EQ(cspDecryptStaged(context.get(), cipherPieceBytes, &out), 0);
        EXPECT_EQ(taken(out), plain);
    }
}

TEST_F(CryptoTest, passwordDerivationDependsOnThePasswordOnly)
{
    const QByteArray plain = "attack at dawn";
    const KeyPtr first = passwordKey("correct horse", CspAlgorithm::Aes, 256);
    const KeyPtr again = passwordKey("correct horse", CspAlgorithm::Aes, 256);
    const KeyPtr other = passwordKey("correct horsf", CspAlgorithm::Aes, 256);
    EXPECT_EQ(encrypted(first.get(), plain), encrypted(again.get(), plain));
    EXPECT_NE(encrypted(first.get(), plain), encrypted(other.get(), plain));

    CspData out{5, nullptr};
    const CspReturn result = cspDecrypt(contextFor(other.get()).get(), bytesOf(encrypted(first.get(), plain)), &out);
    if (result == 0) {
        EXPECT_NE(taken(out), plain);
    } else {
        EXPECT_EQ(result, CspError::InvalidData);
    }
}

TEST_F(CryptoTest, bothSidesOfADiffieHellmanExchangeReachTheSameKey)
{
    CspKey* keys[4] = {};
    ASSERT_EQ(cspGenerateDhKeyPair(s_handle, 2048, &keys[0], &keys[1]), 0);
    ASSERT_EQ(cspGenerateDhKeyPair(s_handle, 2048, &keys[2], &keys[3]), 0);
    const KeyPtr alicePublic(keys[0]), alicePrivate(keys[1]), bobPublic(keys[2]), bobPrivate(keys[3]);

    CspKey* aliceShared = nullptr;
    CspKey* bobShared = nullptr;
    ASSERT_EQ(cspDeriveDhSharedKey(s_handle, alicePrivate.get(), bobPublic.get(), CspAlgorithm::Aes, 256, &aliceShared), 0);
    ASSERT_EQ(cspDeriveDhSharedKey(s_handle, bobPrivate.get(), alicePublic.get(), CspAlgorithm::Aes, 256, &bobShared), 0);
    const KeyPtr aliceKey(aliceShared), bobKey(bobShared);
    EXPECT_EQ(encrypted(aliceKey.get(), "hello"), encrypted(bobKey.get(), "hello"));

    CspKey* unrelated = nullptr;
    ASSERT_EQ(cspDeriveDhSharedKey(s_handle, alicePrivate.get(), alicePublic.get(), CspAlgorithm::Aes, 256, &unrelated), 0);
    const KeyPtr unrelatedKey(unrelated);
    EXPECT_NE(encrypted(unrelatedKey.get(), "hello"), encrypted(aliceKey.get(), "hello"));
}

TEST_F(CryptoTest, rsaEncryptsWithThePublicKeyAndDecryptsWithThePrivateOne)
{
    const QByteArray plain = "a short secret";
    const ContextPtr publicContext = contextFor(s_rsaPublic.get());
    const ContextPtr privateContext = contextFor(s_rsaPrivate.get());
    const QByteArray pieces[] = {plain.left(5), plain.mid(5)};
    const CspBytes pieceBytes[] = {bytesOf(pieces[0]), bytesOf(pieces[1])};
    CspData out;
    ASSERT_EQ(cspEncryptStaged(publicContext.get(), pieceBytes, &out), 0);
    const QByteArray cipher = taken(out);
    EXPECT_EQ(cipher.size(), 256);
    ASSERT_EQ(cspDecrypt(privateContext.get(), bytesOf(cipher), &out), 0);
    EXPECT_EQ(taken(out), plain);
    EXPECT_NE(cspDecrypt(publicContext.get(), bytesOf(cipher), &out), 0) << "the public half cannot decrypt";
    EXPECT_EQ(out.data, nullptr);
}

TEST_F(CryptoTest, signaturesVerifyOnlyForTheSignedData)
{
    const QByteArray data = test::patternBytes(5000, 8);
    const QByteArray pieces[] = {data.left(1234), data.mid(1234)};
    const CspBytes pieceBytes[] = {bytesOf(pieces[0]), bytesOf(pieces[1])};
    QByteArray tampered = data;
    tampered[4321] = static_cast<char>(tampered[4321] ^ 1);
    for (const std::uint32_t algorithm : {CspAlgorithm::Sha1WithRsa, CspAlgorithm::Sha256WithRsa}) {
        SCOPED_TRACE(algorithm);
        CspData out;
        ASSERT_EQ(cspSign(s_handle, algorithm, s_rsaPrivate.get(), bytesOf(data), &out), 0);
        const QByteArray signature = taken(out);
        ASSERT_EQ(cspSignStaged(s_handle, algorithm, s_rsaPrivate.get(), pieceBytes, &out), 0);
        EXPECT_EQ(taken(out), signature) << "PKCS#1 v1.5 signatures are deterministic";

        EXPECT_EQ(cspVerify(s_handle, algorithm, s_rsaPublic.get(), bytesOf(data), bytesOf(signature)), 0);
        EXPECT_EQ(cspVerifyStaged(s_handle, algorithm, s_rsaPublic.get(), pieceBytes, bytesOf(signature)), 0);
        EXPECT_EQ(cspVerify(s_handle, algorithm, s_rsaPublic.get(), bytesOf(tampered), bytesOf(signature)),
                  CspError::VerifyFailed);
        EXPECT_NE(cspSign(s_handle, algorithm, s_rsaPublic.get(), bytesOf(data), &out), 0) << "public half";
    }
}

TEST_F(CryptoTest, unsupportedKeysAndAlgorithmsAreRefused)
{
    CspKey* publicKey = nullptr;
    CspKey* privateKey = nullptr;
    ASSERT_EQ(cspGenerateDhKeyPair(s_handle, 2048, &publicKey, &privateKey), 0);
    const KeyPtr dhPublic(publicKey), dhPrivate(privateKey);
    CspCipherContext* context = nullptr;
    EXPECT_EQ(cspCreateCipherContext(s_handle, dhPrivate.get(), &context), CspReturn(0x80010801));
    EXPECT_EQ(context, nullptr);

    CspKey* key = nullptr;
    EXPECT_EQ(cspDeriveKeyFromPassword(s_handle, bytesOf("pw"), CspAlgorithm::Aes, 100, &key), CspError::InvalidAlgorithm);
    EXPECT_EQ(cspDeriveKeyFromPassword(s_handle, bytesOf("pw"), CspAlgorithm::Rsa, 256, &key), CspError::InvalidAlgorithm);
    EXPECT_EQ(cspDeriveKeyFromPassword(-1, bytesOf("pw"), CspAlgorithm::Aes, 128, &key), CspError::InvalidServiceHandle);
    EXPECT_EQ(cspGenerateKeyPair(s_handle, CspAlgorithm::Aes, 2048, &publicKey, &privateKey), CspError::InvalidAlgorithm);
    EXPECT_EQ(cspGenerateDhKeyPair(s_handle, 1000, &publicKey, &privateKey), CspError::InvalidKey);
    EXPECT_EQ(cspDeriveDhSharedKey(s_handle, s_rsaPrivate.get(), dhPublic.get(), CspAlgorithm::Aes, 128, &key),
              CspError::InvalidKey);
    EXPECT_EQ(key, nullptr);

    CspData out;
    EXPECT_EQ(cspSign(s_handle, CspAlgorithm::Sha1, s_rsaPrivate.get(), bytesOf("x"), &out), CspError::InvalidAlgorithm);
    EXPECT_EQ(cspSign(s_handle, CspAlgorithm::Sha1WithRsa, dhPrivate.get(), bytesOf("x"), &out), CspError::InvalidKey);
}

} // namespace
} // namespace pairsift
