// The image lookup: every id the editor loads is there at its size, with transparency exactly
// where the controls blend; other ids find nothing; the Windows resource script binds the
// same files.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "tests/resources/png_decode.h"

namespace stellix::testing {
namespace {

struct ImageCase {
  int id;
  int width;
  int height;
  bool transparent;  // blended over the window instead of copied
};

constexpr ImageCase kImages[] = {
    // background
    {128, 524, 462, false},
    // meter bars, legends, bitmap fonts
    {129, 15, 432, false},
    {130, 15, 432, false},
    {154, 15, 432, false},
    {155, 15, 432, false},
    {131, 27, 367, false},
    {132, 27, 367, false},
    {133, 27, 367, false},
    {134, 27, 367, false},
    {135, 27, 367, false},
    {136, 27, 367, false},
    {137, 5, 1536, false},
    {138, 5, 1536, false},
    // two- and three-state buttons
    {139, 33, 38, false},
    {140, 33, 38, false},
    {162, 33, 38, false},
    {144, 33, 57, false},
    {160, 33, 57, false},
    {163, 33, 57, false},
    {164, 33, 57, false},
    {165, 33, 57, false},
    {166, 33, 57, false},
    // meter mode and the stepped selectors, with their highlight rows
    {141, 35, 496, true},
    {142, 33, 341, true},
    {143, 33, 434, true},
    {145, 33, 248, true},
    // TransShape, knobs, Power, AutoOut / PostMeter
    {146, 90, 75, false},
    {147, 48, 4747, false},
    {148, 48, 4747, false},
    {150, 56, 5555, false},
    {151, 58, 5656, false},
    {152, 50, 4848, false},
    {153, 49, 4747, false},
    {149, 35, 70, false},
    {161, 18, 72, true},
    // gain reduction bar and scale, back-light overlay
    {156, 15, 203, false},
    {167, 58, 306, false},
    {170, 33, 19, true},
    // preset bar
    {989, 11, 27, false},
    {990, 17, 45, false},
    {991, 17, 45, false},
    {992, 32, 39, false},
    {993, 44, 39, false},
    {995, 30, 65, false},
};

TEST(ImageResources, EveryIdDecodesAtItsSizeOpaqueOrWithTransparency) {
  for (const ImageCase& c : kImages) {
    SCOPED_TRACE("image " + std::to_string(c.id));
    const DecodedImage image = decodeImage(c.id);
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    int translucent = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) translucent += image.at(x, y)[3] != 255;
    }
    if (c.transparent) {
      EXPECT_EQ(image.fileChannels, 4);
      EXPECT_GT(translucent, 0);
    } else {
      EXPECT_EQ(translucent, 0);
    }
  }
}

TEST(ImageResources, IdsWithoutAnImageFindNothing) {
  // 157 (information screen) and 994 are deliberately absent; 128 + 65536 would alias 128 if the
  // id were cut to 16 bits.
  for (int id : {0, -1, 127, 157, 158, 159, 168, 169, 171, 988, 994, 996, 128 + 65536, INT_MIN, INT_MAX}) {
    SCOPED_TRACE("id " + std::to_string(id));
    const ResourceBytes bytes = findImageResource(id);
    EXPECT_EQ(bytes.data, nullptr);
    EXPECT_EQ(bytes.size, 0u);
  }
}

TEST(ImageResources, WindowsResourceScriptBindsEachIdToTheSameFile) {
  std::ifstream script(STELLIX_SOURCE_DIR "/resources/korvan_stellix.rc");
  ASSERT_TRUE(script.good());
  const std::regex line(R"(^\s*(\d+)\s+RCDATA\s+"([^"]+)\"\s*$)");
  std::map<int, std::string> bound;
  for (std::string text; std::getline(script, text);) {
    std::smatch m;
    if (std::regex_match(text, m, line)) {
      EXPECT_TRUE(bound.emplace(std::stoi(m[1]), m[2]).second) << text;
    }
  }
  std::map<int, std::string> expected;
  for (const ImageCase& c : kImages) expected[c.id] = "png/" + std::to_string(c.id) + ".png";
  EXPECT_EQ(bound, expected);
  for (const auto& [id, file] : bound) {
    std::ifstream png(STELLIX_SOURCE_DIR "/resources/" + file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(png)), std::istreambuf_iterator<char>());
    const ResourceBytes embedded = findImageResource(id);
    ASSERT_NE(embedded.data, nullptr) << id;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(embedded.data), embedded.size), bytes) << file;
  }
}

}  // namespace
}  // namespace stellix::testing
