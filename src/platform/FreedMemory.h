#pragma once

namespace pairsift {

// Hands memory the program has freed back to the system. Memory freed on one thread stays reserved for
// that thread's later allocations; after a large scan's items go, the others would grow anew beside it.
// Takes a moment on a large heap: call it off the main thread.
void returnFreedMemoryToSystem();

} // namespace pairsift
