#include "model/digest/CspService.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace pairsift {

namespace {

// Process-wide state. Start-up is guarded by the same lock as the handle tables, so a start-up can
// never run twice even if attaching ever happens from two threads.
struct ServiceState {
    std::mutex mutex;
    bool started = false;
    int startupAttempts = 0;
    EVP_MD* sha1 = nullptr; // fetched once at start-up, kept for the life of the process
    CspHandle nextModuleHandle = 1;
    std::unordered_set<CspHandle> attached;
    CspContextHandle nextContextHandle = 1;
    std::unordered_map<CspContextHandle, EVP_MD_CTX*> contexts;
};

ServiceState& service()
{
    static ServiceState state;
    return state;
}

EVP_MD_CTX* lookUpContext(CspContextHandle contextHandle)
{
    ServiceState& state = service();
    const std::lock_guard lock(state.mutex);
    const auto found = state.contexts.find(contextHandle);
    return found == state.contexts.end() ? nullptr : found->second;
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
    const std::lock_guard lock(state.mutex);
    if (state.started)
        return 0;
    ++state.startupAttempts;
    if (OPENSSL_init_crypto(0, nullptr) != 1)
        return CspError::InternalError;
    state.sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
    if (!state.sha1)
        return CspError::InternalError;
    state.started = true;
    return 0;
}

int cspStartupAttempts()
{
    ServiceState& state = service();
    const std::lock_guard lock(state.mutex);
    return state.startupAttempts;
}

CspReturn cspAttach(CspHandle* moduleHandle)
{
    if (!moduleHandle)
        return CspError::InvalidPointer;
    if (const CspReturn result = cspStartup(); result != 0)
        return result;
    ServiceState& state = service();
    const std::lock_guard lock(state.mutex);
    const CspHandle handle = state.nextModuleHandle++;
    state.attached.insert(handle);
    *moduleHandle = handle;
    return 0;
}

void cspDetach(CspHandle moduleHandle)
{
    ServiceState& state = service();
    const std::lock_guard lock(state.mutex);
    state.attached.erase(moduleHandle);
}

CspReturn cspDigestInit(CspHandle moduleHandle, std::uint32_t algorithm, CspContextHandle* contextHandle)
{
    if (!contextHandle)
        return CspError::InvalidPointer;
    const EVP_MD* method = nullptr;
    {
        ServiceState& state = service();
        const std::lock_guard lock(state.mutex);
        if (!state.attached.contains(moduleHandle))
            return CspError::InvalidServiceHandle;
        if (algorithm == CspAlgorithm::Sha1)
            method = state.sha1;
    }
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
    const std::lock_guard lock(state.mutex);
    const CspContextHandle handle = state.nextContextHandle++;
    state.contexts.emplace(handle, context);
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
        ServiceState& state = service();
        const std::lock_guard lock(state.mutex);
        const auto found = state.contexts.find(contextHandle);
        if (found == state.contexts.end())
            return;
        context = found->second;
        state.contexts.erase(found);
    }
    EVP_MD_CTX_free(context);
}

std::size_t cspLiveContextCount()
{
    ServiceState& state = service();
    const std::lock_guard lock(state.mutex);
    return state.contexts.size();
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
    ServiceState& state = service();
    const std::lock_guard lock(state.mutex);
    return state.attached.contains(moduleHandle);
}

} // namespace csp
} // namespace pairsift
