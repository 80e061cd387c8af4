#include "platform/FreedMemory.h"

#include <malloc.h>

namespace pairsift {

void returnFreedMemoryToSystem()
{
    ::malloc_trim(0);
}

} // namespace pairsift
