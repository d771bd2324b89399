// Conversion of framebuffer pixels into the layouts of X images.
#include "toolkit/platform/x11/x11pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using x11platform::PixelConverter;
using x11platform::PixelFormat;

PixelFormat format(int depth, int bpp, bool msb, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  PixelFormat f;
  f.depth = depth;
  f.bitsPerPixel = bpp;
  f.msbFirst = msb;
  f.redMask = r;
  f.greenMask = g;
  f.blueMask = b;
  return f;
}

TEST(X11Pixels, ColoursInEachVisualLayout) {
  struct Case {
    const char* name;
    PixelFormat format;
    std::uint32_t argb;
    std::uint32_t pixel;
  } cases[] = {
      {"depth 24 ignores alpha", format(24, 32, false, 0xFF0000, 0xFF00, 0xFF), 0x80123456, 0x123456},
      {"depth 32 is made opaque", format(32, 32, false, 0xFF0000, 0xFF00, 0xFF), 0x00123456, 0xFF123456},
      {"blue-green-red order", format(24, 32, false, 0xFF, 0xFF00, 0xFF0000), 0xFF123456, 0x563412},
      {"5-6-5", format(16, 16, false, 0xF800, 0x07E0, 0x001F), 0xFF123456, 0x11AA},
      {"5-5-5", format(15, 16, false, 0x7C00, 0x03E0, 0x001F), 0xFF123456, 0x08CA},
      {"5-5-5 white sets no bit 15", format(15, 16, false, 0x7C00, 0x03E0, 0x001F), 0xFFFFFFFF, 0x7FFF},
      {"10-bit channels widen full scale", format(30, 32, false, 0x3FF00000, 0xFFC00, 0x3FF), 0xFFFFFFFF, 0x3FFFFFFF},
      {"10-bit channels widen mid grey", format(30, 32, false, 0x3FF00000, 0xFFC00, 0x3FF), 0xFF808080, 0x20280A02},
      {"3-3-2", format(8, 8, false, 0xE0, 0x1C, 0x03), 0xFF123456, 0x05},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PixelConverter converter(c.format);
    ASSERT_TRUE(converter.isValid());
    EXPECT_EQ(converter.pixelOf(c.argb), c.pixel);
  }
}

TEST(X11Pixels, UnusableFormatsAreRefused) {
  struct Case {
    const char* name;
    PixelFormat format;
  } cases[] = {
      {"12 bits per pixel", format(12, 12, false, 0xF00, 0xF0, 0xF)},
      {"depth above bits per pixel", format(24, 16, false, 0xF800, 0x07E0, 0x001F)},
      {"mask outside the depth", format(16, 16, false, 0xFF0000, 0xFF00, 0xFF)},
      {"mask with a gap", format(24, 32, false, 0xF0F000, 0xFF00, 0xFF)},
      {"no blue", format(24, 32, false, 0xFF0000, 0xFF00, 0)},
      {"channel wider than 16 bits", format(32, 32, false, 0xFFFFF000, 0xF00, 0xFF)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(PixelConverter(c.format).isValid());
  }
}

// One pixel converted into a 3 x 2 image whose rows are padded: only that pixel's bytes
// change, in the image's byte order.
TEST(X11Pixels, ConvertWritesOnlyTheRectInTheImagesByteOrder) {
  struct Case {
    const char* name;
    PixelFormat format;
    std::vector<unsigned char> bytes;  // of the pixel 0xFF123456
  } cases[] = {
      {"32 bits, least significant first", format(24, 32, false, 0xFF0000, 0xFF00, 0xFF), {0x56, 0x34, 0x12, 0xFF}},
      {"32 bits, most significant first", format(24, 32, true, 0xFF0000, 0xFF00, 0xFF), {0x00, 0x12, 0x34, 0x56}},
      {"24 bits packed", format(24, 24, false, 0xFF0000, 0xFF00, 0xFF), {0x56, 0x34, 0x12}},
      {"24 bits packed, most significant first", format(24, 24, true, 0xFF0000, 0xFF00, 0xFF), {0x12, 0x34, 0x56}},
      {"16 bits", format(16, 16, false, 0xF800, 0x07E0, 0x001F), {0xAA, 0x11}},
      {"16 bits, most significant first", format(16, 16, true, 0xF800, 0x07E0, 0x001F), {0x11, 0xAA}},
  };
  PixelBuffer src(3, 2, 0xFF000000);
  src.row(1)[1] = 0xFF123456;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PixelConverter converter(c.format);
    ASSERT_TRUE(converter.isValid());
    const int bpp = c.format.bitsPerPixel / 8;
    const int bytesPerLine = 3 * bpp + 3;
    std::vector<unsigned char> image(static_cast<std::size_t>(bytesPerLine * 2 + 4), 0xEE);
    converter.convert(src, CRect(1, 1, 2, 2), 3, 2, image.data(), bytesPerLine);
    std::vector<unsigned char> expected(image.size(), 0xEE);
    std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + bytesPerLine + bpp);
    EXPECT_EQ(image, expected);
  }
}

TEST(X11Pixels, ConvertCutsTheRectToSourceAndImage) {
  const PixelConverter converter(format(24, 32, false, 0xFF0000, 0xFF00, 0xFF));
  struct Case {
    const char* name;
    int srcW, srcH;
    CRect rect;
    CRect written;
  } cases[] = {
      {"rect over every edge", 4, 3, CRect(-5, -5, 50, 50), CRect(0, 0, 4, 3)},
      {"source narrower than the image", 2, 3, CRect(0, 0, 4, 3), CRect(0, 0, 2, 3)},
      {"source taller than the image", 4, 9, CRect(0, 0, 4, 9), CRect(0, 0, 4, 3)},
      {"empty source", 0, 0, CRect(0, 0, 4, 3), CRect()},
      {"rect outside", 4, 3, CRect(4, 0, 8, 3), CRect()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PixelBuffer src(c.srcW, c.srcH, 0xFF0A0B0C);
    std::vector<std::uint32_t> image(4 * 3 + 1, 0xEEEEEEEE);  // one guard pixel after the image
    converter.convert(src, c.rect, 4, 3, reinterpret_cast<unsigned char*>(image.data()), 16);
    for (int i = 0; i < 13; ++i) {
      const bool inside = i < 12 && c.written.pointInside(CPoint(i % 4, i / 4));
      EXPECT_EQ(image[static_cast<std::size_t>(i)], inside ? 0xFF0A0B0Cu : 0xEEEEEEEEu) << "pixel " << i;
    }
  }
}

}  // namespace
