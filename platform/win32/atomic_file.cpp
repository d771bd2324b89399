// Atomic replacement on Windows: write a temporary file beside the target, flush it, then
// move it over the target in one step. Paths are ANSI code page text.
#include "platform/atomic_file.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace stellix {

namespace {

std::atomic<unsigned> gTempCounter{0};

bool writeAll(HANDLE file, const unsigned char* p, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

// Creates a new file beside path under a name nobody else uses.
HANDLE createTemporary(const std::string& path, std::string& tempPath) {
  const std::size_t sep = path.find_last_of("\\/");
  const std::string folder = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
  const std::string base = sep == std::string::npos ? path : path.substr(sep + 1);
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".tmp-%lu-%u-%08lx", static_cast<unsigned long>(GetCurrentProcessId()),
                  gTempCounter.fetch_add(1), static_cast<unsigned long>(GetTickCount()));
    tempPath = folder + "." + base + suffix;
    const HANDLE file =
        CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size) noexcept {
  try {
    if (path.empty() || (size > 0 && !data)) return false;
    std::string tempPath;
    const HANDLE file = createTemporary(path, tempPath);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = writeAll(file, static_cast<const unsigned char*>(data), size);
    // Flush before the move: after a power cut the name must not point at missing data.
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExA(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(tempPath.c_str());
    return ok;
  } catch (...) {
    return false;
  }
}

}  // namespace stellix
