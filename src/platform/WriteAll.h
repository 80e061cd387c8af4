#pragma once

#include <cstddef>

namespace pairsift {

// Writes the whole buffer to the descriptor, calling write(2) again only after an interruption or a
// partial write, so that a line written at once never mixes with another thread's. False when the
// descriptor refuses it.
bool writeAll(int fileDescriptor, const char* data, std::size_t size);

} // namespace pairsift
