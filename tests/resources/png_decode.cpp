#include "tests/resources/png_decode.h"

#include <climits>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace stellix::testing {

DecodedImage decodePng(const ResourceBytes& bytes) {
  DecodedImage out;
  if (!bytes.data || bytes.size == 0 || bytes.size > static_cast<std::size_t>(INT_MAX)) return out;
  int w = 0, h = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(bytes.data, static_cast<int>(bytes.size), &w, &h, &channels, 4);
  if (!pixels) return out;
  out.width = w;
  out.height = h;
  out.fileChannels = channels;
  out.rgba.assign(pixels, pixels + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
  stbi_image_free(pixels);
  return out;
}

DecodedImage decodeImage(int id) { return decodePng(findImageResource(id)); }

}  // namespace stellix::testing
