#include "host/parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace stellix {
namespace {

TEST(StepIndex, TruncatesAndClampsToTheStepRange) {
  struct Case {
    float v;
    int n;
    int expected;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {0.0f, 5, 0},   {0.4f, 5, 2},  {0.3999f, 5, 1}, {0.5f, 5, 2},        {1.0f, 5, 4},
      {1.5f, 5, 4},   {-0.2f, 5, 0}, {-1e30f, 7, 0},  {1e30f, 7, 6},       {inf, 3, 2},
      {-inf, 3, 0},   {std::numeric_limits<float>::quiet_NaN(), 4, 0},    {0.025f, 100, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(stepIndex(c.v, c.n), c.expected) << c.v << " over " << c.n;
}

TEST(StepCentre, LiesInTheMiddleOfItsStep) {
  for (int n : {2, 3, 4, 5, 7, 8, 100}) {
    for (int i = 0; i < n; ++i) EXPECT_EQ(stepIndex(stepCentre(i, n), n), i) << i << " of " << n;
  }
}

TEST(DisplayText, StepBoundariesAndFormulas) {
  struct Case {
    int index;
    float v;
    const char* expected;
  };
  const Case cases[] = {
      {kBits, 1.0f, "24"},          {kBits, 0.5f, "16"},        {kBits, 0.4f, "16"},
      {kBits, 0.3999f, "12"},       {kBits, 0.0f, "8"},         {kNoiseShape, 1.0f, "type F"},
      {kCalibrate, 1.0f, "right"},  {kAttShow, 1.0f, "12L"},    {kAttShow, 0.0f, ""},
      {kAttShow, 0.9375f, "12L"},   {kAttShow, 0.3f, "2"},       {kAttShow, 0.4f, "12"},     {kAttShow, 0.5f, "L"},
      {kOutput, 0.5f, "-6.00"},     {kOutput, 1.0f, "+0.00"},   {kOutput, 0.0f, "-12.00"},
      {kDrive, 0.5f, "+0.00"},      {kDrive, 1.0f, "+24.00"},   {kDrive, 0.0f, "-24.00"},
      {kRelease, 0.0f, "1.0"},      {kRelease, 1.0f, "1000.0"}, {kRelease, 0.5f, "50.0"},
      {kTransient, 0.2f, "20.0%"},  {kLink, 1.0f, "100.0%"},    {kLeveller, 1.0f, "off"},
      {kLeveller, 0.5f, "-6.00dB"}, {kLeveller, std::nextafter(1.0f, 0.0f), "-0.00dB"},
      {kTransShape, 0.166667f, "A-hard"}, {kTransShape, 0.5f, "B-med"}, {kTransShape, 0.833333f, "C-soft"},
      {kPostMeter, 1.0f, "post meter"}, {kMeterType, 0.75f, "k-system"}, {kAttZoom, 0.0f, "24dB"},
      {kDummy1, 0.5f, ""},          {kLayoutVersion, 0.5f, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(displayText(c.index, c.v), c.expected) << kParams[c.index].name << " " << c.v;
}

TEST(EditorText, FormatsWithUnits) {
  EXPECT_EQ(editorText(kDrive, 0.5f), "+0.00dB");
  EXPECT_EQ(editorText(kOutput, 0.5f), "-6.00dB");
  EXPECT_EQ(editorText(kTransient, 0.25f), "25.0%");
  EXPECT_EQ(editorText(kRelease, 0.5f), "50.0ms");
  EXPECT_EQ(editorText(kLeveller, 1.0f), "off");
  EXPECT_EQ(editorText(kBits, 1.0f), "");
}

TEST(EditorText, TypedTextBackToValue) {
  struct Case {
    int index;
    const char* text;
    float expected;
  };
  const Case cases[] = {
      {kRelease, "2000", 1.0f},    {kRelease, "1", 0.0f},          {kRelease, "50ms", 0.5f},
      {kTransient, "-5", 0.0f},    {kTransient, "250", 1.0f},      {kTransient, "40%", 0.4f},
      {kLink, "abc", 0.0f},        {kLeveller, "OFF", 1.0f},       {kLeveller, "oFf", 1.0f},
      {kLeveller, "-6dB", 0.5f},   {kLeveller, "3", 1.0f},         {kDrive, "+6dB", 0.625f},
      {kDrive, "-100", 0.0f},      {kOutput, "-6", 0.5f},          {kOutput, "4", 1.0f},
  };
  for (const Case& c : cases) {
    const auto v = editorTextToValue(c.index, c.text);
    ASSERT_TRUE(v.has_value()) << c.text;
    EXPECT_NEAR(*v, c.expected, 2e-6f) << kParams[c.index].name << " '" << c.text << "'";
  }
  EXPECT_FALSE(editorTextToValue(kBits, "16").has_value());
}

TEST(Properties, StepsFlagsAndLabels) {
  struct Case {
    int index;
    float step;
    int flags;
  };
  const Case cases[] = {
      {kOutput, 1.0f / 24, 4},   {kLeveller, 1.0f / 24, 4}, {kDrive, 1.0f / 96, 4},     {kTransient, 5.0f, 4},
      {kTransShape, 0.5f, 4},    {kBits, 0.25f, 4},         {kNoiseShape, 1.0f / 6, 4}, {kCalibrate, 3.3333333f, 4},
      {kAttShow, 1.4285715f, 4}, {kOversample, 1.0f, 5},    {kPostMeter, 1.0f, 5},
  };
  for (const Case& c : cases) {
    VstParameterProperties p{};
    ASSERT_TRUE(fillProperties(c.index, p)) << c.index;
    EXPECT_FLOAT_EQ(p.stepFloat, c.step) << c.index;
    EXPECT_EQ(p.flags, c.flags) << c.index;
    EXPECT_STREQ(p.label, kParams[c.index].name);
  }
  VstParameterProperties p{};
  ASSERT_TRUE(fillProperties(kDetectorOrder, p));
  EXPECT_STREQ(p.shortLabel, "Detecto");
  EXPECT_FLOAT_EQ(p.smallStepFloat, 1.0f);
}

TEST(Properties, UnusedSlotsAnswerNothingAndLayoutVersionOnlyItsStep) {
  VstParameterProperties p{};
  std::memset(&p, 0x5a, sizeof p);
  const VstParameterProperties before = p;
  for (int i : {int{kDummy1}, int{kDummy2}, int{kDummy3}, 26, -1}) {
    EXPECT_FALSE(fillProperties(i, p)) << i;
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
  }
  ASSERT_TRUE(fillProperties(kLayoutVersion, p));
  EXPECT_FLOAT_EQ(p.stepFloat, 0.0001f);
  EXPECT_EQ(p.label[0], before.label[0]) << "no label for the layout version";
}

TEST(EngineQuantities, GainsAreOneDoublingPerSixDecibels) {
  EXPECT_EQ(outputGainFor(0.5f), 0.5);
  EXPECT_EQ(driveGainFor(0.5f), 1.0);
  EXPECT_EQ(driveGainFor(1.0f), 16.0);
  EXPECT_EQ(levellerThresholdFor(1.0f), 1.0);
  EXPECT_EQ(levellerThresholdFor(0.0f), 0.25);
  EXPECT_NEAR(releaseTimeFor(0.5f), 50.0, 1e-6);
  EXPECT_NEAR(transientAmountFor(1.0f), 0.5, 1e-6);
}

}  // namespace
}  // namespace stellix
