#include "toolkit/cbitmap.h"

#include <climits>
#include <utility>

#include "toolkit/resources.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#include "stb_image.h"

namespace {

// Decodes PNG bytes into 0xAARRGGBB pixels; an empty buffer when they do not decode.
PixelBuffer decodePng(const std::uint8_t* png, std::size_t size) {
  if (!png || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return {};
  int w = 0, h = 0, channels = 0;
  stbi_uc* rgba = stbi_load_from_memory(png, static_cast<int>(size), &w, &h, &channels, 4);
  if (!rgba) return {};
  PixelBuffer out;
  if (w > 0 && h > 0) {
    out = PixelBuffer(w, h, 0);
    const stbi_uc* p = rgba;
    for (std::uint32_t& px : out.pixels) {
      px = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
      p += 4;
    }
  }
  stbi_image_free(rgba);
  return out;
}

bool anyTranslucent(const PixelBuffer& pixels) {
  for (std::uint32_t px : pixels.pixels)
    if ((px >> 24) != 0xFFu) return true;
  return false;
}

}  // namespace

CBitmap::CBitmap(int resourceId) : resourceId_(resourceId) {
  const ResourceBytes bytes = findImageResource(resourceId);
  pixels_ = decodePng(bytes.data, bytes.size);
  hasAlpha_ = anyTranslucent(pixels_);
}

CBitmap::CBitmap(const std::uint8_t* png, std::size_t size) : pixels_(decodePng(png, size)) {
  hasAlpha_ = anyTranslucent(pixels_);
}

CBitmap::CBitmap(PixelBuffer pixels) : pixels_(std::move(pixels)) {
  // A buffer whose pixel count does not match its size would be read past its end.
  if (pixels_.width <= 0 || pixels_.height <= 0 ||
      pixels_.pixels.size() != static_cast<std::size_t>(pixels_.width) * static_cast<std::size_t>(pixels_.height))
    pixels_ = PixelBuffer();
  hasAlpha_ = anyTranslucent(pixels_);
}

SharedBitmap loadBitmap(int resourceId) { return std::make_shared<CBitmap>(resourceId); }
