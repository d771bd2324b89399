// The framebuffer every view is drawn into: 32-bit pixels 0xAARRGGBB, rows top to bottom,
// no padding. The window of every platform shows it as it is (alpha ignored, always 255
// after drawing onto the opaque background).
#pragma once

#include <cstdint>
#include <vector>

struct PixelBuffer {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  PixelBuffer() = default;
  PixelBuffer(int w, int h, std::uint32_t fill = 0xFF000000u)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

  std::uint32_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
  const std::uint32_t* row(int y) const {
    return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
  }
};

// Writes the buffer as an 8-bit RGBA PNG (alpha as stored). Answers false when writing failed;
// an existing file is replaced only by a complete one. The path is UTF-8.
bool writePng(const PixelBuffer& buffer, const char* path);
