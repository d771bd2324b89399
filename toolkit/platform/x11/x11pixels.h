// Conversion of the framebuffer's 0xAARRGGBB pixels into the memory layout of an X image
// (ZPixmap) of a TrueColor visual.
#pragma once

#include <array>
#include <cstdint>

#include "toolkit/crect.h"
#include "toolkit/pixelbuffer.h"

namespace x11platform {

struct PixelFormat {
  int depth = 24;
  int bitsPerPixel = 32;  // 8, 16, 24 or 32
  bool msbFirst = false;  // the image's byte order
  std::uint32_t redMask = 0xFF0000;
  std::uint32_t greenMask = 0xFF00;
  std::uint32_t blueMask = 0xFF;
};

class PixelConverter {
 public:
  explicit PixelConverter(const PixelFormat& format);

  // Whether the format can be written at all (bits per pixel and masks make sense).
  bool isValid() const { return valid_; }
  // The pixel value for an 0xAARRGGBB colour. Bits of the depth outside the colour masks
  // (the alpha of a 32-bit visual) are set: the window is opaque.
  std::uint32_t pixelOf(std::uint32_t argb) const;
  // Writes rect of src (cut to src and to width x height) into an image of width x height
  // pixels at data, bytesPerLine bytes a row, at the same position.
  void convert(const PixelBuffer& src, CRect rect, int width, int height, unsigned char* data, int bytesPerLine) const;

 private:
  PixelFormat format_;
  bool valid_ = false;
  // The 32-bit little-endian layout of the framebuffer itself: a row is copied as it is,
  // with the extra bits set.
  bool direct_ = false;
  std::uint32_t extraBits_ = 0;
  std::array<std::uint32_t, 256> red_{};
  std::array<std::uint32_t, 256> green_{};
  std::array<std::uint32_t, 256> blue_{};
};

}  // namespace x11platform
