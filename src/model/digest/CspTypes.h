#pragma once

#include <cstdint>
#include <span>

// Plain types shared by the functions of the cryptographic service layer.
namespace pairsift {

// Result of a service call: 0 is success, anything else one of the CspError codes.
using CspReturn = std::int32_t;
// An attached service, from cspAttach to cspDetach.
using CspHandle = std::int64_t;
// A live digest context; 0 stands for none.
using CspContextHandle = std::uint64_t;

// Bytes handed to the service; an empty span stands for no data.
using CspBytes = std::span<const std::uint8_t>;

// A buffer that the service fills and hands back: allocated with malloc, grown with realloc, released
// with cspFreeData (or free).
struct CspData {
    std::uint64_t length = 0;
    std::uint8_t* data = nullptr;
};

// Algorithm identifiers of the service.
namespace CspAlgorithm {
constexpr std::uint32_t Sha1 = 8;
constexpr std::uint32_t Pbkdf2 = 103;
constexpr std::uint32_t Aes = 201;          // CBC with PKCS#7 padding
constexpr std::uint32_t ChaCha20 = 202;     // stream cipher, no padding
constexpr std::uint32_t Rsa = 203;          // OAEP padding for encryption
constexpr std::uint32_t DiffieHellman = 204;
constexpr std::uint32_t Sha1WithRsa = 205;
constexpr std::uint32_t Sha256WithRsa = 206;
} // namespace CspAlgorithm

// Failure codes, all in the service's error range.
namespace CspError {
constexpr CspReturn code(std::uint32_t value) { return static_cast<CspReturn>(value); }
constexpr CspReturn InternalError = code(0x80010801);   // the service failed inside, or cannot do this
constexpr CspReturn MemoryError = code(0x80010802);     // a buffer could not be allocated
constexpr CspReturn InvalidPointer = code(0x80010804);  // a required argument is missing
constexpr CspReturn InvalidServiceHandle = code(0x80010841);
constexpr CspReturn InvalidContextHandle = code(0x80010842);
constexpr CspReturn InvalidAlgorithm = code(0x80010843);
constexpr CspReturn InvalidKey = code(0x80010844);      // wrong kind or size of key for the operation
constexpr CspReturn VerifyFailed = code(0x80010845);    // a signature did not match
constexpr CspReturn InvalidData = code(0x80010846);     // input that cannot be decrypted
} // namespace CspError

} // namespace pairsift
