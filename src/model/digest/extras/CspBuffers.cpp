// Output buffers of the service layer: gathered by reallocation, handed over only on success.

#include "model/digest/CspService.h"
#include "model/digest/extras/CspInternal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pairsift::csp {

bool reserveAfter(CspData& data, std::size_t extra)
{
    // Never asks for 0 bytes, which realloc may answer by freeing the buffer.
    void* grown = std::realloc(data.data, std::max<std::size_t>(data.length + extra, 1));
    if (!grown)
        return false;
    data.data = static_cast<std::uint8_t*>(grown);
    return true;
}

bool append(CspData& data, CspBytes bytes)
{
    if (bytes.empty())
        return true;
    if (!reserveAfter(data, bytes.size()))
        return false;
    std::memcpy(data.data + data.length, bytes.data(), bytes.size());
    data.length += bytes.size();
    return true;
}

CspReturn deliver(CspReturn result, CspData& gathered, CspData* output)
{
    if (result == 0 && output) {
        *output = gathered;
        return 0;
    }
    cspFreeData(&gathered);
    return result != 0 ? result : CspError::InvalidPointer;
}

} // namespace pairsift::csp
