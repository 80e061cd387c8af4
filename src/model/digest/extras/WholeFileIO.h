#pragma once

#include <cstddef>
#include <cstdint>

// Whole-file reads and writes in one call each, with the system's error numbers as results.
namespace pairsift {

// Creates or truncates the file (mode 0600 when created) and writes the buffer from offset 0.
// Returns 0, the system error number when opening or seeking fails, or 5 when writing fails or stops
// short (a short write also logs "writeFile: short write" on the console).
int writeFile(const char* path, const void* bytes, std::size_t length);

// Reads a whole file into a newly allocated buffer (release with free) and hands buffer and length to
// the caller, who gets them only on success. Returns 0, the system error number when opening fails,
// 12 when the buffer cannot be allocated, or 5 when reading fails or stops short (a short read also
// logs "readFile: short read").
int readFile(const char* path, std::uint8_t** bytes, std::size_t* length);

} // namespace pairsift
