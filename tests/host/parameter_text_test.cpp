#include <gtest/gtest.h>

#include <optional>

#include "host/parameters.h"

namespace stellix {
namespace {

TEST(ValueFromText, ReadsWhatTheDisplayShows) {
  struct Case {
    int index;
    const char* text;
    std::optional<float> expected;
  };
  const Case cases[] = {
      // Continuous values with and without their unit, any letter case, spaces around.
      {kDrive, "+6dB", 0.625f},
      {kDrive, " -24 db ", 0.0f},
      {kDrive, "24", 1.0f},
      {kOutput, "-6", 0.5f},
      {kTransient, "40%", 0.4f},
      {kRelease, "1000ms", 1.0f},
      {kLeveller, "off", 1.0f},
      {kLeveller, "OFF", 1.0f},
      {kLeveller, "-6dB", 0.5f},
      // Steps by their display text.
      {kQuantize, "on", stepCentre(1, 2)},
      {kBits, "16", stepCentre(2, 5)},
      {kNoiseShape, "Type C", stepCentre(3, 7)},
      {kAttShow, "12L", stepCentre(7, 8)},
      // Out of range: the editor field would clamp; a typed setting is refused instead.
      {kDrive, "+30dB", std::nullopt},
      {kOutput, "+1", std::nullopt},
      {kRelease, "0.5ms", std::nullopt},
      {kTransient, "-5%", std::nullopt},
      // Unreadable: wrong unit, trailing junk, no number, not a number, unknown step.
      {kDrive, "6ms", std::nullopt},
      {kDrive, "6dBx", std::nullopt},
      {kDrive, "loud", std::nullopt},
      {kDrive, "nan", std::nullopt},
      {kDrive, "", std::nullopt},
      {kRelease, "off", std::nullopt},
      {kBits, "17", std::nullopt},
      {kQuantize, "yes", std::nullopt},
      // No display: not settable by text.
      {kDummy1, "0", std::nullopt},
      {kLayoutVersion, "0.025", std::nullopt},
      {kParamCount, "0", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<float> v = valueFromText(c.index, c.text);
    ASSERT_EQ(v.has_value(), c.expected.has_value()) << c.index << " '" << c.text << "'";
    if (v) {
      EXPECT_FLOAT_EQ(*v, *c.expected) << c.index << " '" << c.text << "'";
    }
  }
}

TEST(ValueFromText, EveryDisplayTextReadsBackToItsValue) {
  for (int i = 0; i < kParamCount; ++i) {
    const ParamInfo& p = kParams[i];
    if (p.display == Display::None) continue;
    const int n = p.steps > 0 ? p.steps : 11;
    for (int s = 0; s < n; ++s) {
      const float v = p.steps > 0 ? stepCentre(s, n) : static_cast<float>(s) / (n - 1);
      const std::string shown = displayText(i, v);
      const std::optional<float> back = valueFromText(i, shown);
      ASSERT_TRUE(back) << p.name << " '" << shown << "'";
      EXPECT_EQ(displayText(i, *back), shown) << p.name;
    }
  }
}

TEST(AcceptedTexts, NamesTheRangeOrTheSteps) {
  EXPECT_EQ(acceptedTexts(kDrive), "-24.00 to +24.00 dB");
  EXPECT_EQ(acceptedTexts(kRelease), "1.0 to 1000.0 ms");
  EXPECT_EQ(acceptedTexts(kTransient), "0.0 to 100.0 %");
  EXPECT_EQ(acceptedTexts(kLeveller), "off, or -12.00 to -0.00 dB");
  EXPECT_EQ(acceptedTexts(kQuantize), "off, on");
  EXPECT_EQ(acceptedTexts(kDummy1), "");
}

}  // namespace
}  // namespace stellix
