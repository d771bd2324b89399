// Reference pictures for render tests: a render is compared pixel for pixel with a committed
// PNG, or written over it when the environment variable STELLIX_UPDATE_GOLDEN is set
// (scripts/update-goldens.sh). A mismatch writes the render beside the test's temporary files
// and says where.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "toolkit/cbitmap.h"
#include "toolkit/crect.h"
#include "toolkit/pixelbuffer.h"

namespace stellix::testing {

// The pixels of area (clipped to the buffer).
inline PixelBuffer cropPixels(const PixelBuffer& source, CRect area) {
  area.bound(CRect(0, 0, source.width, source.height));
  PixelBuffer out(area.getWidth(), area.getHeight());
  for (int y = 0; y < out.height; ++y)
    std::copy_n(source.row(area.top + y) + area.left, out.width, out.row(y));
  return out;
}

// Compares pixels with <dir>/<name>.png, or writes that file when STELLIX_UPDATE_GOLDEN is set.
inline void expectGolden(const PixelBuffer& pixels, const std::string& dir, const std::string& name) {
  const std::string path = dir + "/" + name + ".png";
  if (std::getenv("STELLIX_UPDATE_GOLDEN")) {
    ASSERT_TRUE(writePng(pixels, path.c_str())) << path;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "missing " << path << " (scripts/update-goldens.sh writes it)";
  const std::vector<std::uint8_t> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const CBitmap golden(png.data(), png.size());
  ASSERT_EQ(golden.getWidth(), pixels.width) << name;
  ASSERT_EQ(golden.getHeight(), pixels.height) << name;
  std::size_t differing = 0;
  std::size_t first = 0;
  for (std::size_t i = 0; i < pixels.pixels.size(); ++i) {
    if (golden.pixels().pixels[i] != pixels.pixels[i] && differing++ == 0) first = i;
  }
  if (differing) {
    const std::string got = ::testing::TempDir() + name + "-actual.png";
    writePng(pixels, got.c_str());
    ADD_FAILURE() << name << ": " << differing << " pixels differ, first at (" << first % pixels.width << ", "
                  << first / pixels.width << "); render written to " << got;
  }
}

}  // namespace stellix::testing
