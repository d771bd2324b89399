// Replacing a file's contents so that a crash, a full disk or a second writer never leaves
// a torn or emptied file behind.
#pragma once

#include <cstddef>
#include <string>

namespace stellix {

// Writes size bytes to a new temporary file in the folder of path and renames it over path
// once every byte is written. On failure the previous file (if any) is untouched, the
// temporary file is removed and the answer is false.
bool writeFileAtomically(const std::string& path, const void* data, std::size_t size) noexcept;

}  // namespace stellix
