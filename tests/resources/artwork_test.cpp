// The pixels the drawing code relies on: bitmap font cells with the printers' colours and
// baseline, readout strips in the glyph paper colour, control images that continue the
// background at their rectangles, meter colour zones and scale ticks on the rows the meters use.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "tests/resources/png_decode.h"

namespace stellix::testing {
namespace {

using Rgb = std::array<int, 3>;

constexpr Rgb kReadout{213, 236, 246};
constexpr Rgb kReadoutInk{79, 79, 79};
constexpr Rgb kOver{229, 53, 5};

Rgb rgbAt(const DecodedImage& image, int x, int y) {
  const std::uint8_t* p = image.at(x, y);
  return {p[0], p[1], p[2]};
}

int brightness(const DecodedImage& image, int x, int y) {
  const Rgb c = rgbAt(image, x, y);
  return c[0] + c[1] + c[2];
}

std::string text(const Rgb& c) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "(%d, %d, %d)", c[0], c[1], c[2]);
  return buffer;
}

class Artwork : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { background_ = new DecodedImage(decodeImage(128)); }
  static void TearDownTestSuite() {
    delete background_;
    background_ = nullptr;
  }
  static const DecodedImage& background() { return *background_; }

 private:
  static DecodedImage* background_;
};

DecodedImage* Artwork::background_ = nullptr;

// Cell of character ch in set 0 (plain) or 1 (bright / highlight): 8 rows from ((ch - 32) + 96 * set) * 8.
int cellTop(char ch, int set) { return ((ch & 0x7F) - 32 + 96 * set) * 8; }

TEST_F(Artwork, FontCellsCarryThePrintersColoursAndTheBaselineOnRowSix) {
  struct FontCase {
    int id;
    int set;
    Rgb paper;
    Rgb ink;
  };
  const FontCase cases[] = {
      {137, 0, kReadout, kReadoutInk},  // plain: dark glyphs on the readout colour
      {137, 1, kReadoutInk, kReadout},  // bright: light glyphs on the value boxes
      {138, 0, kReadout, kReadoutInk},  // highlight font, plain set as 137's
      {138, 1, kOver, kReadout},        // highlight font, bright set: light glyphs on the over colour
  };
  for (const FontCase& c : cases) {
    SCOPED_TRACE("font " + std::to_string(c.id) + " set " + std::to_string(c.set));
    const DecodedImage font = decodeImage(c.id);
    ASSERT_TRUE(font.ok());
    for (char blank : {' ', '\x7f'}) {
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 5; ++x) ASSERT_EQ(rgbAt(font, x, cellTop(blank, c.set) + y), c.paper) << int(blank);
      }
    }
    // 'H': its stems fill rows 0..6 and stop at the baseline.
    const int h = cellTop('H', c.set);
    for (int y = 0; y <= 6; ++y) EXPECT_EQ(rgbAt(font, 0, h + y), c.ink) << "row " << y;
    EXPECT_EQ(rgbAt(font, 0, h + 7), c.paper);
    // 'g' reaches below the baseline into row 7.
    int descender = 0;
    for (int x = 0; x < 5; ++x) descender += rgbAt(font, x, cellTop('g', c.set) + 7) == c.ink;
    EXPECT_GT(descender, 0);
  }
}

TEST_F(Artwork, ReadoutStripsAreThePlainGlyphPaper) {
  // The readouts print their units with opaque plain-set cells straight onto the background.
  struct Strip {
    const char* name;
    int left, top, right, bottom;
  };
  for (const Strip& s : {Strip{"input peak", 131, 415, 224, 426}, Strip{"output peak", 303, 415, 396, 426},
                         Strip{"gain reduction", 217, 199, 310, 210}}) {
    SCOPED_TRACE(s.name);
    int wrong = 0;
    for (int y = s.top; y < s.bottom; ++y) {
      for (int x = s.left; x < s.right; ++x) wrong += rgbAt(background(), x, y) != kReadout;
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(Artwork, OpaqueImagesContinueTheBackgroundAtEveryPlaceTheyAreDrawn) {
  // Each frame's corners are background pixels of the rectangle the image is drawn at; one
  // image drawn at several places (preset bar, legends) matches all of them.
  struct Use {
    int id;
    int frameHeight;
    int left, top, right, bottom;
  };
  const Use uses[] = {
      {139, 19, 44, 40, 77, 59},     {140, 19, 81, 40, 114, 59},    {162, 19, 412, 40, 445, 59},
      {163, 19, 449, 40, 482, 59},   {144, 19, 269, 265, 302, 284}, {160, 19, 269, 307, 302, 326},
      {164, 19, 224, 265, 257, 284}, {165, 19, 224, 230, 257, 249}, {166, 19, 269, 230, 302, 249},
      {146, 25, 38, 121, 128, 146},  {149, 35, 245, 400, 280, 435}, {152, 48, 55, 169, 105, 217},
      {153, 47, 56, 267, 105, 314},  {147, 47, 421, 169, 469, 216}, {148, 47, 421, 267, 469, 314},
      {150, 55, 52, 349, 108, 404},  {151, 56, 417, 349, 475, 405}, {167, 153, 233, 39, 291, 192},
      {131, 367, 164, 38, 191, 405}, {132, 367, 164, 38, 191, 405}, {133, 367, 164, 38, 191, 405},
      {134, 367, 335, 38, 362, 405}, {135, 367, 335, 38, 362, 405}, {136, 367, 335, 38, 362, 405},
      {990, 15, 72, 447, 89, 462},   {990, 15, 166, 447, 183, 462}, {990, 15, 421, 447, 438, 462},
      {990, 15, 486, 447, 503, 462}, {991, 15, 22, 447, 39, 462},   {991, 15, 104, 447, 121, 462},
      {991, 15, 388, 447, 405, 462}, {991, 15, 452, 447, 469, 462}, {992, 13, 39, 447, 71, 460},
      {993, 13, 122, 447, 166, 460}, {989, 9, 510, 449, 521, 458},
  };
  for (const Use& u : uses) {
    SCOPED_TRACE("image " + std::to_string(u.id) + " at " + std::to_string(u.left) + ", " + std::to_string(u.top));
    const DecodedImage image = decodeImage(u.id);
    ASSERT_TRUE(image.ok());
    ASSERT_EQ(image.width, u.right - u.left);
    ASSERT_EQ(u.bottom - u.top, u.frameHeight);
    ASSERT_EQ(image.height % u.frameHeight, 0);
    const Rgb topLeft = rgbAt(background(), u.left, u.top);
    const Rgb bottomRight = rgbAt(background(), u.right - 1, u.bottom - 1);
    for (int top = 0; top < image.height; top += u.frameHeight) {
      ASSERT_EQ(rgbAt(image, 0, top), topLeft) << "frame at row " << top;
      ASSERT_EQ(rgbAt(image, image.width - 1, top + u.frameHeight - 1), bottomRight) << "frame at row " << top;
    }
  }
}

TEST_F(Artwork, MeterBarZonesMeetTheScaleRows) {
  // Peak bars: source row y stands for (408 - y) / 6 - 48 dBFS, so 0 dBFS is row 120. K bars:
  // the K reference is row 144, +4 dB row 120. Rows divisible by 3 are the dim gaps, so only
  // rows between them are sampled.
  enum Zone { kOverZone, kWarm, kCool };
  struct ZoneCase {
    int id;
    int row;
    Zone zone;
  };
  const ZoneCase cases[] = {
      {130, 119, kOverZone}, {130, 121, kWarm}, {130, 160, kCool}, {130, 400, kCool}, {154, 50, kOverZone},
      {154, 118, kOverZone}, {154, 121, kWarm}, {154, 142, kWarm}, {154, 145, kCool}, {154, 430, kCool},
  };
  for (const ZoneCase& c : cases) {
    SCOPED_TRACE("image " + std::to_string(c.id) + " row " + std::to_string(c.row));
    const DecodedImage bar = decodeImage(c.id);
    ASSERT_TRUE(bar.ok());
    const Rgb p = rgbAt(bar, 7, c.row);
    const bool over = p[0] > 180 && p[1] < 90;
    const bool warm = p[0] > 180 && p[1] > 130 && p[2] < 110;
    const bool cool = p[1] > p[0];
    EXPECT_EQ(over, c.zone == kOverZone) << text(p);
    EXPECT_EQ(warm, c.zone == kWarm) << text(p);
    EXPECT_EQ(cool, c.zone == kCool) << text(p);
  }
}

TEST_F(Artwork, ScaleTicksSitOnTheRowsTheMetersDrawTo) {
  // Legends (row = window row - 38): 0 dBFS / K-12 reference at window row 114, K-14 at 126,
  // K-20 at 162, with ticks at both edges. Gain-reduction scale: a reduction of d dB ends on
  // window row 43 + 6 d (12 d zoomed), scale row = window row - 39, zoomed half 153 rows down.
  struct TickCase {
    int id;
    int row;
    int leftColumn, rightColumn;
  };
  const TickCase cases[] = {
      {133, 114 - 38, 1, 26},
      {136, 114 - 38, 1, 26},
      {132, 126 - 38, 1, 26},
      {135, 126 - 38, 1, 26},
      {131, 162 - 38, 1, 26},
      {134, 162 - 38, 1, 26},
      {133, 42 - 38, 1, 26},
      {133, 402 - 38, 1, 26},
      {167, 43 - 39, 16, 41},                  // 0 dB
      {167, 43 + 6 * 24 - 39, 16, 41},         // 24 dB
      {167, 153 + 43 - 39, 16, 41},            // zoomed 0 dB
      {167, 153 + 43 + 12 * 12 - 39, 16, 41},  // zoomed 12 dB
  };
  for (const TickCase& c : cases) {
    SCOPED_TRACE("image " + std::to_string(c.id) + " row " + std::to_string(c.row));
    const DecodedImage scale = decodeImage(c.id);
    ASSERT_TRUE(scale.ok());
    for (int x : {c.leftColumn, c.rightColumn}) {
      const int tick = brightness(scale, x, c.row);
      EXPECT_GT(tick, brightness(scale, x, c.row - 1) + 90) << "column " << x;
      EXPECT_GT(tick, brightness(scale, x, c.row + 1) + 90) << "column " << x;
    }
  }
}

}  // namespace
}  // namespace stellix::testing
