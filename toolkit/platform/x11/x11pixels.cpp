#include "toolkit/platform/x11/x11pixels.h"

#include <bit>
#include <cstring>

namespace x11platform {

namespace {

// The table that places an 8-bit channel value into mask: cut to the mask's width, or
// widened by repeating its bits so that 255 fills the mask.
bool buildChannel(std::uint32_t mask, std::array<std::uint32_t, 256>& table) {
  if (mask == 0) return false;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  if (bits > 16 || (mask >> shift) != (std::uint32_t{1} << bits) - 1) return false;  // too wide, or not contiguous
  for (std::uint32_t v = 0; v < 256; ++v) {
    std::uint32_t scaled;
    if (bits <= 8) {
      scaled = v >> (8 - bits);
    } else {
      const std::uint32_t wide = (v << 8) | v;  // 16 bits
      scaled = wide >> (16 - bits);
    }
    table[v] = scaled << shift;
  }
  return true;
}

bool hostIsLittleEndian() { return std::endian::native == std::endian::little; }

void storePixel(unsigned char* p, std::uint32_t v, int bitsPerPixel, bool msbFirst) {
  const int bytes = bitsPerPixel / 8;
  for (int i = 0; i < bytes; ++i) {
    const int shift = msbFirst ? 8 * (bytes - 1 - i) : 8 * i;
    p[i] = static_cast<unsigned char>(v >> shift);
  }
}

}  // namespace

PixelConverter::PixelConverter(const PixelFormat& format) : format_(format) {
  const int bpp = format.bitsPerPixel;
  if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return;
  if (format.depth < 1 || format.depth > bpp) return;
  if (!buildChannel(format.redMask, red_) || !buildChannel(format.greenMask, green_) ||
      !buildChannel(format.blueMask, blue_))
    return;
  const std::uint32_t depthBits = format.depth >= 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << format.depth) - 1;
  const std::uint32_t colourBits = format.redMask | format.greenMask | format.blueMask;
  if ((colourBits & ~depthBits) != 0) return;
  extraBits_ = depthBits & ~colourBits;
  direct_ = bpp == 32 && format.redMask == 0xFF0000 && format.greenMask == 0xFF00 && format.blueMask == 0xFF &&
            format.msbFirst != hostIsLittleEndian();
  valid_ = true;
}

std::uint32_t PixelConverter::pixelOf(std::uint32_t argb) const {
  return red_[(argb >> 16) & 0xFF] | green_[(argb >> 8) & 0xFF] | blue_[argb & 0xFF] | extraBits_;
}

void PixelConverter::convert(const PixelBuffer& src, CRect rect, int width, int height, unsigned char* data,
                             int bytesPerLine) const {
  if (!valid_ || data == nullptr) return;
  rect.bound(CRect(0, 0, std::min(src.width, width), std::min(src.height, height)));
  if (rect.isEmpty()) return;
  const int bytes = format_.bitsPerPixel / 8;
  for (int y = rect.top; y < rect.bottom; ++y) {
    const std::uint32_t* in = src.row(y) + rect.left;
    unsigned char* out = data + static_cast<std::size_t>(y) * static_cast<std::size_t>(bytesPerLine) +
                         static_cast<std::size_t>(rect.left) * static_cast<std::size_t>(bytes);
    if (direct_) {
      // A depth-24 visual ignores the top byte, so the alpha may stay; extraBits_ makes a
      // depth-32 visual opaque.
      for (int x = 0; x < rect.width(); ++x) {
        const std::uint32_t v = in[x] | extraBits_;
        std::memcpy(out + 4 * x, &v, 4);
      }
    } else {
      for (int x = 0; x < rect.width(); ++x)
        storePixel(out + bytes * x, pixelOf(in[x]), format_.bitsPerPixel, format_.msbFirst);
    }
  }
}

}  // namespace x11platform
