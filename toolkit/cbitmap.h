// An image held as 32-bit pixels 0xAARRGGBB with straight alpha, decoded from PNG data
// (stb_image) or loaded by resource id. A multi-frame bitmap is a vertical strip of equal
// frames; views copy one frame at a time with CDrawContext::drawBitmap and a source offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "toolkit/crect.h"
#include "toolkit/pixelbuffer.h"

class CBitmap {
 public:
  // Loads image resourceId (findImageResource); an id that is missing or does not decode
  // gives an empty bitmap (isLoaded false, 0 x 0), which draws nothing.
  explicit CBitmap(int resourceId);
  // Decodes PNG bytes; empty on failure.
  CBitmap(const std::uint8_t* png, std::size_t size);
  // Takes pixels as they are.
  explicit CBitmap(PixelBuffer pixels);

  bool isLoaded() const { return pixels_.width > 0 && pixels_.height > 0; }
  CCoord getWidth() const { return pixels_.width; }
  CCoord getHeight() const { return pixels_.height; }
  int getResourceId() const { return resourceId_; }
  const PixelBuffer& pixels() const { return pixels_; }
  // True when any pixel is not fully opaque (drawing then blends).
  bool hasAlpha() const { return hasAlpha_; }

 private:
  PixelBuffer pixels_;
  int resourceId_ = -1;
  bool hasAlpha_ = false;
};

using SharedBitmap = std::shared_ptr<CBitmap>;

// Convenience: a shared bitmap of resource id (never null; possibly empty).
SharedBitmap loadBitmap(int resourceId);
