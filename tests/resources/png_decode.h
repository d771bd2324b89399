// PNG decoding for the resource tests (stb_image).
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/resources.h"

namespace stellix::testing {

struct DecodedImage {
  int width = 0;
  int height = 0;
  int fileChannels = 0;            // 3 for RGB files, 4 for RGBA
  std::vector<std::uint8_t> rgba;  // always 4 bytes a pixel, rows top to bottom

  bool ok() const { return width > 0 && height > 0; }
  const std::uint8_t* at(int x, int y) const {
    return rgba.data() +
           4 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x));
  }
};

DecodedImage decodePng(const ResourceBytes& bytes);
// The embedded image id, decoded (empty when missing or undecodable).
DecodedImage decodeImage(int id);

}  // namespace stellix::testing
