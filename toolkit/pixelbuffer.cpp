#include "toolkit/pixelbuffer.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include "stb_image_write.h"

namespace {

// The path of a name given in UTF-8, so that names outside the system code page work on
// Windows too; a name that is not valid UTF-8 there is taken in the system code page.
std::filesystem::path pathOf(const char* name) {
  try {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(name)));
  } catch (const std::exception&) {
    return std::filesystem::path(name);
  }
}

bool writePngFile(const PixelBuffer& buffer, const char* path) {
  if (!path || !*path || buffer.width <= 0 || buffer.height <= 0 ||
      buffer.pixels.size() != static_cast<std::size_t>(buffer.width) * static_cast<std::size_t>(buffer.height))
    return false;
  std::vector<unsigned char> rgba(buffer.pixels.size() * 4);
  for (std::size_t i = 0; i < buffer.pixels.size(); ++i) {
    const std::uint32_t p = buffer.pixels[i];
    rgba[i * 4 + 0] = static_cast<unsigned char>(p >> 16);
    rgba[i * 4 + 1] = static_cast<unsigned char>(p >> 8);
    rgba[i * 4 + 2] = static_cast<unsigned char>(p);
    rgba[i * 4 + 3] = static_cast<unsigned char>(p >> 24);
  }
  int length = 0;
  const std::unique_ptr<unsigned char, void (*)(void*)> png(
      stbi_write_png_to_mem(rgba.data(), buffer.width * 4, buffer.width, buffer.height, 4, &length), std::free);
  if (!png) return false;
  // Written beside the target and moved over it, so a failed write leaves no partial file.
  const std::filesystem::path target = pathOf(path);
  std::filesystem::path tmp = target;
  tmp += ".tmp";
  bool written = false;
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.get()), length);
    out.close();
    written = static_cast<bool>(out);
  }
  std::error_code ec;
  if (!written) {
    std::filesystem::remove(tmp, ec);
    return false;
  }
  // rename replaces an existing file on POSIX; where it refuses to (some Windows runtimes),
  // the old file is removed first. Anything but a plain file in the way stays and fails.
  std::filesystem::rename(tmp, target, ec);
  if (ec && std::filesystem::is_regular_file(target)) {
    std::filesystem::remove(target, ec);
    std::filesystem::rename(tmp, target, ec);
  }
  if (!ec) return true;
  std::filesystem::remove(tmp, ec);
  return false;
}

}  // namespace

bool writePng(const PixelBuffer& buffer, const char* path) {
  // Nothing throws out of here: a name that cannot be converted or memory that runs out is a
  // failed write like any other.
  try {
    return writePngFile(buffer, path);
  } catch (...) {
    return false;
  }
}
