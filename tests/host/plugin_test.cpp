// The effect object linked directly: parameter-to-engine values, sample-rate set-up,
// layout conversion and the internal programs.
#include "host/plugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace stellix {
namespace {

struct Call {
  VstInt32 opcode;
  VstInt32 index;
};
std::vector<Call> gCalls;

VstIntPtr VST_CALL recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
  gCalls.push_back({opcode, index});
  return opcode == audioMasterVersion ? 2400 : 0;
}

class PluginTest : public ::testing::Test {
 protected:
  PluginTest() : plugin(recordingHost) { gCalls.clear(); }
  std::string display(int index) {
    char text[64] = {};
    plugin.getParameterDisplay(index, text);
    return text;
  }
  std::string programName(int index) {
    char text[64] = {};
    plugin.getProgramNameIndexed(0, index, text);
    return text;
  }
  const EngineValues& ev() { return plugin.engine().values(); }
  Plugin plugin;
};

TEST_F(PluginTest, StartsOnTheDefaultProgram) {
  EXPECT_EQ(plugin.getCurrentProgramIndex(), 0);
  EXPECT_EQ(plugin.getProgram(), 0);
  const char* expected[] = {"+0.00", "+0.00", "20.0%", "200.0", "A-hard", "100.0%", "off", "I", "on", "K-12", "24",
                            "off",   "off",   "off",   "off",   "off",    "off",    "off", "peak", "24dB", "12L",
                            "pre meter"};
  for (int i = 0; i <= kPostMeter; ++i) EXPECT_EQ(display(i), expected[i]) << kParams[i].name;
  EXPECT_EQ(ev().kernelLength, 8) << "A-hard at 44100 Hz";
  EXPECT_EQ(ev().outDelayOffset, 114);
}

TEST_F(PluginTest, ParameterValuesReachTheEngine) {
  plugin.setParameter(kOutput, 0.5f);
  EXPECT_EQ(ev().outputTarget, 0.5);
  plugin.setParameter(kDrive, 1.0f);
  EXPECT_EQ(ev().driveTarget, 16.0);
  plugin.setParameter(kDrive, 0.5f);
  EXPECT_EQ(ev().driveTarget, 1.0);
  plugin.setParameter(kLeveller, 1.0f);
  EXPECT_EQ(ev().levellerThreshold[0], 1.0);
  plugin.setParameter(kLeveller, 0.0f);
  EXPECT_EQ(ev().levellerThreshold[1], 0.25);
  plugin.setParameter(kLink, 0.3f);
  EXPECT_DOUBLE_EQ(ev().link, 0.3f);
  plugin.setParameter(kTransient, 1.0f);
  EXPECT_NEAR(ev().transient[0], 0.5, 1e-6);
  EXPECT_EQ(ev().transient[0], ev().transient[1]);
  plugin.setParameter(kPower, 0.2f);
  EXPECT_EQ(ev().limiterSwitch, 0.0);
  EXPECT_EQ(ev().sw.power, 0);
  plugin.setParameter(kBits, 0.5f);
  EXPECT_EQ(ev().sw.bits, 2);
  plugin.setParameter(kCalibrate, 1.0f);
  EXPECT_EQ(ev().sw.calibrate, 3);
  plugin.setParameter(kAttShow, -3.0f);
  EXPECT_EQ(ev().sw.attShow, 0) << "a negative value gives the first step";
}

// Time constant in ms of a one-pole coefficient c = 1 - exp(-1000 / (t fs)).
double timeOf(double c, double fs) { return -1000.0 / (fs * std::log(1.0 - c)); }

TEST_F(PluginTest, ReleaseAndAttackTimes) {
  plugin.setParameter(kRelease, 0.5f);
  EXPECT_NEAR(ev().releaseTime[0], 50.0, 1e-6);
  const double d = (ev().releaseTime[0] - 2.0) / 7.0;
  for (int i = 0; i < kFollowerStages; ++i) {
    EXPECT_NEAR(timeOf(ev().release[i], 44100.0), ev().releaseTime[0] - i * d, 1e-6) << i;
    EXPECT_NEAR(timeOf(ev().attack[i], 44100.0), 32.0 - i * 31.0 / 7.0, 1e-6) << i;
  }
}

TEST_F(PluginTest, SampleRateSetUp) {
  struct Case {
    float rate;
    float shape;
    int shift, lookahead, latency, code, kernel, offset;
  };
  const Case cases[] = {
      {44100, 0.9f, 0, 128, 159, 2, 64, 2},     {48000, 0.1f, 0, 128, 159, 2, 8, 114},
      {96000, 0.9f, 1, 256, 287, 1, 128, 2},    {88200, 0.5f, 1, 256, 287, 1, 32, 194},
      {192000, 0.9f, 2, 512, 543, 0, 128, 258}, {192000, 0.1f, 2, 512, 543, 0, 32, 450},
      {170000, 0.5f, 2, 512, 543, 0, 64, 386},  {169999, 0.5f, 1, 256, 287, 0, 32, 194},
      {80000, 0.5f, 1, 256, 287, 1, 32, 194},   {250000, 0.5f, 0, 128, 159, 2, 16, 98},
      {4000, 0.5f, 0, 128, 159, 2, 16, 98},     {std::numeric_limits<float>::quiet_NaN(), 0.5f, 0, 128, 159, 2, 16, 98},
  };
  for (const Case& c : cases) {
    plugin.setParameter(kTransShape, c.shape);
    plugin.setSampleRate(c.rate);
    EXPECT_EQ(ev().rateShift, c.shift) << c.rate;
    EXPECT_EQ(ev().lookahead, c.lookahead) << c.rate;
    EXPECT_EQ(plugin.getAeffect()->initialDelay, c.latency) << c.rate;
    EXPECT_EQ(ev().reconCode, c.code) << c.rate;
    EXPECT_EQ(ev().kernelLength, c.kernel) << c.rate;
    EXPECT_EQ(ev().outDelayOffset, c.offset) << c.rate;
    EXPECT_EQ(plugin.getRateShift(), c.shift);
  }
}

TEST_F(PluginTest, RateCoefficientsAt44100) {
  EXPECT_EQ(ev().smoothCoeff, 1.0 - std::exp(-0.004274275719169786));
  EXPECT_EQ(ev().autoblackCoeff, 1.0 - std::exp(-0.0022675736961451248));
  plugin.setSampleRate(96000.0f);
  EXPECT_EQ(ev().smoothCoeff, 1.0 - std::exp(-188.49555921538757 / 96000.0));
  EXPECT_EQ(ev().levellerCoeff, 1.0 - std::exp(-1000.0 / (96000.0 * 1000.0)));
  EXPECT_EQ(ev().rmsCoeff, 1.0 - std::pow(0.01, 1000.0 / (96000.0 * 600.0)));
}

TEST_F(PluginTest, ValuesThatAreNotNumbersChangeNothing) {
  plugin.setParameter(kDrive, 0.75f);
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()}) {
    plugin.setParameter(kDrive, bad);
    plugin.setParameter(kBits, bad);
    EXPECT_EQ(plugin.getParameter(kDrive), 0.75f);
    EXPECT_EQ(plugin.currentProgram().values[kDrive], 0.75f);
    EXPECT_EQ(plugin.getParameter(kBits), 1.0f);
    EXPECT_EQ(ev().driveTarget, driveGainFor(0.75f));
  }
}

TEST_F(PluginTest, OutOfRangeContinuousValuesKeepTheEngineFinite) {
  plugin.setParameter(kRelease, -1.0f);
  plugin.setParameter(kDrive, 1e30f);
  EXPECT_EQ(plugin.getParameter(kDrive), 1e30f) << "the host gets back what it set";
  EXPECT_TRUE(std::isfinite(ev().driveTarget));
  for (int i = 0; i < kFollowerStages; ++i) EXPECT_TRUE(std::isfinite(ev().release[i]));
}

TEST_F(PluginTest, GetParameterAnswers) {
  plugin.setParameter(kDummy2, 0.3f);
  EXPECT_EQ(plugin.getParameter(kDummy2), 0.3f);
  plugin.setParameter(kLayoutVersion, 0.9f);
  EXPECT_EQ(plugin.getParameter(kLayoutVersion), 0.025f);
  EXPECT_EQ(plugin.getParameter(26), -1.0f);
  EXPECT_EQ(plugin.getParameter(-1), -1.0f);
}

TEST_F(PluginTest, TextsWrittenToTheHostStayWithin24Bytes) {
  plugin.setParameter(kDrive, 1e30f);
  plugin.setParameter(kRelease, 3e5f);
  for (int i = -1; i <= 27; ++i) {
    for (auto fn : {&Plugin::getParameterDisplay, &Plugin::getParameterName, &Plugin::getParameterLabel}) {
      char buf[64];
      std::memset(buf, '#', sizeof buf);
      (plugin.*fn)(i, buf);
      for (std::size_t k = 24; k < sizeof buf; ++k) ASSERT_EQ(buf[k], '#') << "index " << i;
    }
  }
  char text[64] = {};
  plugin.getParameterDisplay(kDrive, text);
  EXPECT_EQ(std::strlen(text), 23u);
}

// A program stored in an older layout: parameter 25 converts the values applied before it.
TEST_F(PluginTest, OldLayoutProgramsConvertOnLoad) {
  struct Case {
    float bits;
    const char* quantize;
    const char* bitsText;
  };
  for (Case c : {Case{0.9f, "on", "24"}, Case{0.1f, "off", "16"}}) {
    ProgramRecord& p = plugin.bank()[3];
    p.values[kLayoutVersion] = 0.0f;
    p.values[kBits] = c.bits;
    p.values[kScale] = 0.6f;  // K position 2 of 4
    p.values[kNoiseShape] = 0.9f;
    const ProgramRecord before = p;
    plugin.selectProgram(3);
    EXPECT_EQ(display(kQuantize), c.quantize);
    EXPECT_EQ(display(kBits), c.bitsText);
    EXPECT_EQ(display(kAutoblack), "off");
    EXPECT_EQ(display(kAttShow), "12L");
    EXPECT_EQ(display(kPostMeter), "post meter");
    EXPECT_EQ(display(kMeterType), "k-system");
    EXPECT_EQ(display(kScale), "K-14");
    EXPECT_EQ(display(kNoiseShape), "type C");
    EXPECT_EQ(std::memcmp(&before, &p, sizeof p), 0) << "a program load does not write back";
  }
}

TEST_F(PluginTest, VersionOneConvertsBitsAndNoiseShape) {
  ProgramRecord& p = plugin.bank()[6];
  p.values[kLayoutVersion] = stepCentre(1, 100);
  p.values[kBits] = 0.5f;        // "16" of three word lengths
  p.values[kNoiseShape] = 0.3f;  // type A of four
  plugin.selectProgram(6);
  EXPECT_EQ(display(kBits), "16");
  EXPECT_EQ(display(kNoiseShape), "type A");
}

// Setting the layout version by hand converts once and marks the program as converted.
TEST_F(PluginTest, HandSetLayoutVersionConvertsOnlyOnce) {
  plugin.selectProgram(2);
  plugin.setParameter(kBits, 0.5f);  // "16" now, read as "16" of three (step 1 -> "16")
  plugin.setParameter(kLayoutVersion, stepCentre(1, 100));
  EXPECT_EQ(display(kBits), "16");
  EXPECT_EQ(plugin.bank()[2].values[kLayoutVersion], 0.025f);
  plugin.selectProgram(1);
  plugin.selectProgram(2);
  EXPECT_EQ(display(kBits), "16") << "no second conversion";
}

TEST_F(PluginTest, HostChangesGoIntoTheCurrentProgram) {
  plugin.selectProgram(4);
  plugin.setParameter(kDrive, 0.75f);
  EXPECT_EQ(plugin.bank()[4].values[kDrive], 0.75f);
  plugin.selectProgram(5);
  EXPECT_NE(plugin.getParameter(kDrive), 0.75f);
  plugin.selectProgram(4);
  EXPECT_EQ(plugin.getParameter(kDrive), 0.75f);
  EXPECT_EQ(plugin.bank()[5].values[kDrive], 0.604167f);
}

TEST_F(PluginTest, SelectProgramTellsTheHostAfterAllParameters) {
  gCalls.clear();
  plugin.selectProgram(8);
  ASSERT_EQ(gCalls.size(), 3u);
  EXPECT_EQ(gCalls[0].opcode, audioMasterUpdateDisplay);
  EXPECT_EQ(gCalls[1].opcode, audioMasterBeginEdit);
  EXPECT_EQ(gCalls[1].index, 0);
  EXPECT_EQ(gCalls[2].opcode, audioMasterEndEdit);
  EXPECT_EQ(gCalls[2].index, 0);
  EXPECT_EQ(plugin.getProgram(), 0);
  EXPECT_EQ(display(kNoiseShape), "type B");
}

TEST_F(PluginTest, ProgramNames) {
  EXPECT_EQ(programName(0), "Default");
  EXPECT_EQ(programName(26), "DVD Master 2 [recon]");
  char text[32] = "untouched";
  EXPECT_FALSE(plugin.getProgramNameIndexed(0, 27, text));
  EXPECT_FALSE(plugin.getProgramNameIndexed(0, -1, text));
  EXPECT_STREQ(text, "untouched");
}

TEST_F(PluginTest, SuspendResetsTheMetersBeforeTheNextBlock) {
  std::vector<float> in(4096), out(4096);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = (i % 2 ? 0.9f : -0.9f);
  plugin.setParameter(kDrive, 1.0f);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  plugin.processReplacing(ins, outs, 4096);
  float m[10];
  plugin.getMeterSnapshot(m);
  EXPECT_GT(m[0], 0.5f);
  EXPECT_LT(m[8], 1.0f) << "the limiter reduced the gain";
  plugin.resume();
  float again[10];
  plugin.getMeterSnapshot(again);
  EXPECT_EQ(std::memcmp(m, again, sizeof m), 0) << "resume changes nothing";
  plugin.suspend();
  plugin.getMeterSnapshot(m);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(m[i], 0.0f) << i;
  EXPECT_EQ(m[8], 1.0f);
  EXPECT_EQ(m[9], 1.0f);
}

struct NameHooks : EffectEditorHooks {
  std::string shown;
  void showProgramName(const char* text) override { shown = text; }
};

TEST_F(PluginTest, SetProgramNameCutsTo23AndTellsTheEditor24) {
  NameHooks hooks;
  plugin.setEditorHooks(&hooks);
  char name[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 30 characters
  plugin.setProgramName(name);
  plugin.setEditorHooks(nullptr);
  char text[64] = {};
  plugin.getProgramName(text);
  EXPECT_STREQ(text, "ABCDEFGHIJKLMNOPQRSTUVW");
  EXPECT_EQ(hooks.shown, "ABCDEFGHIJKLMNOPQRSTUVWX");
}

TEST_F(PluginTest, ResetProgramCopiesTheCapturedDefault) {
  plugin.setParameter(kDrive, 0.9f);  // edits program 0 after the capture
  char name[] = "Edited";
  plugin.setProgramName(name);
  plugin.resetProgram(5);
  EXPECT_STREQ(plugin.bank()[5].name, "Default");
  EXPECT_EQ(plugin.bank()[5].values[kDrive], 0.5f);
}

}  // namespace
}  // namespace stellix
