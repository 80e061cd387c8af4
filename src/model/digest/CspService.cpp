#include "model/digest/CspService.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace pairsift {

namespace {

// Process-wide state. Start-up has a lock of its own, so it can never run twice even if attaching happens
// from two threads at once; once it succeeded, a flag answers without the lock. The handle tables are
// split into shards by handle, each with its own lock: the many threads hashing at once seldom meet on
// one, and no call takes a lock every caller shares.
struct Shard {
    std::mutex mutex;
    std::unordered_set<CspHandle> attached;
    std::unordered_map<CspContextHandle, EVP_MD_CTX*> contexts;
};

struct ServiceState {
    static constexpr std::size_t shardCount = 64;

    std::mutex startupMutex;
    std::atomic<bool> started{false};
    int startupAttempts = 0;
    EVP_MD* sha1 = nullptr; // fetched once at start-up, kept for the life of the process
    std::atomic<CspHandle> nextModuleHandle{1};
    std::atomic<CspContextHandle> nextContextHandle{1};
    std::array<Shard, shardCount> shards;

    Shard& shard(std::uint64_t handle) { return shards[handle % shardCount]; }
};

ServiceState& service()
{
    static ServiceState state;
    return state;
}

EVP_MD_CTX* lookUpContext(CspContextHandle contextHandle)
{
    Shard& shard = service().shard(contextHandle);
    const std::lock_guard lock(shard.mutex);
    const auto found = shard.contexts.find(contextHandle);
    return found == shard.contexts.end() ? nullptr : found->second;
}

CspReturn finishDigest(EVP_MD_CTX* context, CspData* result)
{
    if (!result)
        return CspError::InvalidPointer;
    *result = CspData{};
    auto* buffer = static_cast<std::uint8_t*>(std::malloc(EVP_MAX_MD_SIZE));
    if (!buffer)
        return CspError::MemoryError;
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context, buffer, &length) != 1) {
        std::free(buffer);
        return CspError::InternalError;
    }
    *result = CspData{length, buffer};
    return 0;
}

} // namespace

CspReturn cspStartup()
{
    ServiceState& state = service();
    if (state.started.load(std::memory_order_acquire))
        return 0;
    const std::lock_guard lock(state.startupMutex);
    if (state.started.load(std::memory_order_relaxed))
        return 0;
    ++state.startupAttempts;
    if (OPENSSL_init_crypto(0, nullptr) != 1)
        return CspError::InternalError;
    state.sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
    if (!state.sha1)
        return CspError::InternalError;
    state.started.store(true, std::memory_order_release);
    return 0;
}

int cspStartupAttempts()
{
    ServiceState& state = service();
    const std::lock_guard lock(state.startupMutex);
    return state.startupAttempts;
}

CspReturn cspAttach(CspHandle* moduleHandle)
{
    if (!moduleHandle)
        return CspError::InvalidPointer;
    if (const CspReturn result = cspStartup(); result != 0)
        return result;
    ServiceState& state = service();
    const CspHandle handle = state.nextModuleHandle.fetch_add(1, std::memory_order_relaxed);
    Shard& shard = state.shard(static_cast<std::uint64_t>(handle));
    const std::lock_guard lock(shard.mutex);
    shard.attached.insert(handle);
    *moduleHandle = handle;
    return 0;
}

void cspDetach(CspHandle moduleHandle)
{
    Shard& shard = service().shard(static_cast<std::uint64_t>(moduleHandle));
    const std::lock_guard lock(shard.mutex);
    shard.attached.erase(moduleHandle);
}

CspReturn cspDigestInit(CspHandle moduleHandle, std::uint32_t algorithm, CspContextHandle* contextHandle)
{
    if (!contextHandle)
        return CspError::InvalidPointer;
    if (!csp::isAttached(moduleHandle))
        return CspError::InvalidServiceHandle;
    // Set before any handle could be attached, and never changed after.
    const EVP_MD* method = algorithm == CspAlgorithm::Sha1 ? service().sha1 : nullptr;
    if (!method)
        return CspError::InvalidAlgorithm;

    EVP_MD_CTX* context = EVP_MD_CTX_new();
    if (!context)
        return CspError::MemoryError;
    if (EVP_DigestInit_ex2(context, method, nullptr) != 1) {
        EVP_MD_CTX_free(context);
        return CspError::InternalError;
    }
    ServiceState& state = service();
    const CspContextHandle handle = state.nextContextHandle.fetch_add(1, std::memory_order_relaxed);
    Shard& shard = state.shard(handle);
    const std::lock_guard lock(shard.mutex);
    shard.contexts.emplace(handle, context);
    *contextHandle = handle;
    return 0;
}

CspReturn cspDigestStep(CspContextHandle contextHandle, bool final, CspBytes data, CspData* result)
{
    EVP_MD_CTX* context = lookUpContext(contextHandle);
    if (!context)
        return CspError::InvalidContextHandle;
    CspReturn outcome = 0;
    if (!data.empty() && EVP_DigestUpdate(context, data.data(), data.size()) != 1)
        outcome = CspError::InternalError;
    if (final) {
        if (outcome == 0)
            outcome = finishDigest(context, result);
        cspDeleteContext(contextHandle);
    }
    return outcome;
}

void cspDeleteContext(CspContextHandle contextHandle)
{
    EVP_MD_CTX* context = nullptr;
    {
        Shard& shard = service().shard(contextHandle);
        const std::lock_guard lock(shard.mutex);
        const auto found = shard.contexts.find(contextHandle);
        if (found == shard.contexts.end())
            return;
        context = found->second;
        shard.contexts.erase(found);
    }
    EVP_MD_CTX_free(context);
}

std::size_t cspLiveContextCount()
{
    std::size_t count = 0;
    for (Shard& shard : service().shards) {
        const std::lock_guard lock(shard.mutex);
        count += shard.contexts.size();
    }
    return count;
}

CspReturn cspDigestData(CspHandle moduleHandle, std::uint32_t algorithm, CspBytes data, CspData* digest)
{
    CspContextHandle context = 0;
    if (const CspReturn result = cspDigestInit(moduleHandle, algorithm, &context); result != 0)
        return result;
    return cspDigestStep(context, true, data, digest);
}

void cspFreeData(CspData* data)
{
    if (!data)
        return;
    std::free(data->data);
    *data = CspData{};
}

namespace csp {

bool isAttached(CspHandle moduleHandle)
{
    Shard& shard = service().shard(static_cast<std::uint64_t>(moduleHandle));
    const std::lock_guard lock(shard.mutex);
    return shard.attached.contains(moduleHandle);
}

} // namespace csp
} // namespace pairsift
