#include "toolkit/pixelbuffer.h"

#include <cstdio>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

bool writePng(const PixelBuffer& buffer, const char* path) {
  if (!path || buffer.width <= 0 || buffer.height <= 0) return false;
  std::vector<unsigned char> rgba(buffer.pixels.size() * 4);
  for (std::size_t i = 0; i < buffer.pixels.size(); ++i) {
    const std::uint32_t p = buffer.pixels[i];
    rgba[i * 4 + 0] = static_cast<unsigned char>(p >> 16);
    rgba[i * 4 + 1] = static_cast<unsigned char>(p >> 8);
    rgba[i * 4 + 2] = static_cast<unsigned char>(p);
    rgba[i * 4 + 3] = static_cast<unsigned char>(p >> 24);
  }
  // Written beside the target and renamed over it, so a failed write leaves no partial file.
  const std::string tmp = std::string(path) + ".tmp";
  if (!stbi_write_png(tmp.c_str(), buffer.width, buffer.height, 4, rgba.data(), buffer.width * 4)) {
    std::remove(tmp.c_str());
    return false;
  }
  return std::rename(tmp.c_str(), path) == 0;
}
