#pragma once

#include "model/digest/CspTypes.h"

#include <cstddef>

// The function layer over the platform's cryptographic service: a process-wide start-up done once,
// attaching and detaching the service, and staged digests (create a context, feed data, finalise).
// Each call returns 0 on success or a CspError code. Every function may be called from any thread;
// one digest context is used by one thread at a time.
namespace pairsift {

// Starts the service unless that already succeeded; a failed start-up is tried again by the next call.
CspReturn cspStartup();
// How often the service was really started up (calls that found it started do not count).
int cspStartupAttempts();

// Starts the service if needed and attaches it; `moduleHandle` is written only on success.
CspReturn cspAttach(CspHandle* moduleHandle);
// Ends an attachment; digests can no longer be created on the handle. Unknown handles are ignored.
void cspDetach(CspHandle moduleHandle);

// Creates and initialises a digest context for `algorithm` on an attached service;
// `contextHandle` is written only on success.
CspReturn cspDigestInit(CspHandle moduleHandle, std::uint32_t algorithm, CspContextHandle* contextHandle);

// Feeds `data` (may be empty) into the context. When `final`, and feeding succeeded, `result`
// is zeroed and then receives the digest in a newly allocated buffer; whenever `final` is set the
// context is deleted afterwards, whatever the outcome.
CspReturn cspDigestStep(CspContextHandle contextHandle, bool final, CspBytes data, CspData* result);

// Deletes a context that never reached its final step. Unknown handles are ignored.
void cspDeleteContext(CspContextHandle contextHandle);
// Number of digest contexts alive in the process (a leak shows as a count that never returns).
std::size_t cspLiveContextCount();

// The digest of one buffer in one call, into a newly allocated `digest`.
CspReturn cspDigestData(CspHandle moduleHandle, std::uint32_t algorithm, CspBytes data, CspData* digest);

// Releases a buffer that the service allocated and empties the record.
void cspFreeData(CspData* data);

namespace csp {
// Whether the handle came from cspAttach and was not detached since (for the service's helpers).
bool isAttached(CspHandle moduleHandle);
} // namespace csp

} // namespace pairsift
