// The editor between the effect and the window: parameter changes into the controls, the
// controls' changes to the host, the idle's refresh and flash, the metering preferences, and
// the window's life.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/parameters.h"
#include "platform/user_store.h"
#include "presets/ckorvantextedit.h"
#include "presets/store_names.h"
#include "tests/ui/editor/editor_fixture.h"
#include "ui/cautoblack.h"
#include "ui/cbits.h"
#include "ui/ccalibbutton.h"
#include "ui/cinfo.h"
#include "ui/ckorvanonoffbutton.h"
#include "ui/cmetergr.h"
#include "ui/cmeterlcd.h"
#include "ui/cmeterlevel.h"
#include "ui/cmodebutton.h"
#include "ui/cmyknob.h"
#include "ui/cnoiseshape.h"
#include "ui/cspeedswitch.h"

using namespace editor_test;
using namespace stellix;

namespace {

std::string fixed(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", static_cast<double>(v));
  return text;
}

const char* onOff(bool on) { return on ? "on" : "off"; }

// What every control shows, by name: the state parameterChanged may touch.
std::map<std::string, std::string> shown(const Editor::Controls& c) {
  return {
      {"detector order", fixed(c.detectorOrder->getValue())},
      {"oversample", fixed(c.oversample->getValue())},
      {"mode button",
       std::string(c.meterMode->isKSystem() ? "k-system " : "peak ") + std::to_string(c.meterMode->getScaleIndex())},
      {"quantize", fixed(c.quantize->getValue())},
      {"autoblack", fixed(c.autoblack->getValue()) + " quantize " + onOff(c.autoblack->getQuantize())},
      {"bits", fixed(c.bits->getValue()) + " quantize " + onOff(c.bits->getQuantize())},
      {"noise shape", fixed(c.noiseShape->getValue()) + " quantize " + onOff(c.noiseShape->getQuantize())},
      {"calibrate", fixed(c.calibrate->getValue())},
      {"att zoom", fixed(c.attZoom->getValue())},
      {"att show 1", fixed(c.attShow[0]->getValue())},
      {"att show 2", fixed(c.attShow[1]->getValue())},
      {"att show L", fixed(c.attShow[2]->getValue())},
      {"transient", fixed(c.transient->getValue()) + " " + c.transientField->getText()},
      {"release", fixed(c.release->getValue()) + " " + c.releaseField->getText()},
      {"leveller", fixed(c.leveller->getValue()) + " " + c.levellerField->getText()},
      {"link", fixed(c.link->getValue()) + " " + c.linkField->getText()},
      {"trans shape", fixed(c.transShape->getValue())},
      {"power", fixed(c.power->getValue())},
      {"drive", fixed(c.drive->getValue()) + " " + c.driveField->getText()},
      {"output", fixed(c.output->getValue()) + " " + c.outputField->getText()},
      {"auto out", fixed(c.autoOut->getValue())},
      {"post meter", fixed(c.postMeter->getValue())},
      {"meter ovs", fixed(c.meterOvs->getValue())},
      {"meter modes", std::to_string(c.meterIn->getMode()) + std::to_string(c.meterOut->getMode()) +
                          std::to_string(c.lcdIn->getMode()) + std::to_string(c.lcdOut->getMode())},
      {"gr zoom", onOff(c.meterGR->getZoom())},
  };
}

// The entries that differ from before, as after shows them.
std::map<std::string, std::string> changes(const std::map<std::string, std::string>& before,
                                           const std::map<std::string, std::string>& after) {
  std::map<std::string, std::string> changed;
  for (const auto& [name, state] : after)
    if (before.at(name) != state) changed[name] = state;
  return changed;
}

// A parameter change from the effect reaches the controls of that parameter, and only them.
// The default program is the starting point: peak metering on K-12, Quantize off, AttShow
// "12L", 24 dB gain-reduction scale.
TEST(EditorFollowsTheEffect, EachParameterReachesItsControls) {
  struct Case {
    int index;
    float value;
    std::map<std::string, std::string> expected;
  };
  const Case cases[] = {
      {kOutput, 0.5f, {{"output", "0.5000 -6.00dB"}}},
      {kDrive, 0.75f, {{"drive", "0.7500 +12.00dB"}}},
      {kTransient, 0.5f, {{"transient", "0.5000 50.0%"}}},
      {kRelease, 0.0f, {{"release", "0.0000 1.0ms"}}},
      {kTransShape, 0.9f, {{"trans shape", "0.9000"}}},
      {kLink, 0.25f, {{"link", "0.2500 25.0%"}}},
      {kOversample, 1.0f, {{"oversample", "1.0000"}}},
      {kDetectorOrder, 0.75f, {{"detector order", "0.7500"}}},
      {kPower, 0.25f, {{"power", "0.2500"}}},
      // The scale alone changes no meter while peak metering is shown.
      {kScale, 0.9f, {{"mode button", "peak 2"}}},
      {kBits, 0.1f, {{"bits", "0.1000 quantize off"}}},
      {kNoiseShape, 0.5f, {{"noise shape", "0.5000 quantize off"}}},
      {kCalibrate, 0.4f, {{"calibrate", "0.4000"}}},
      {kLeveller, 0.5f, {{"leveller", "0.5000 -6.00dB"}}},
      {kMeterOvs, 0.75f, {{"meter ovs", "0.7500"}}},
      {kAutoOut, 0.75f, {{"auto out", "0.7500"}}},
      {kQuantize,
       0.75f,
       {{"quantize", "0.7500"},
        {"bits", "1.0000 quantize on"},
        {"noise shape", "0.0000 quantize on"},
        {"autoblack", "0.0000 quantize on"}}},
      {kAutoblack, 0.75f, {{"autoblack", "0.7500 quantize off"}}},
      {kMeterType, 0.75f, {{"mode button", "k-system 0"}, {"meter modes", "1111"}}},
      {kAttZoom, 0.75f, {{"att zoom", "0.7500"}, {"gr zoom", "on"}}},
      {kAttShow, stepCentre(2, 8), {{"att show 1", "0.2500"}, {"att show L", "0.2500"}}},
      {kPostMeter, 0.75f, {{"post meter", "0.7500"}}},
      // Unused slots, the layout version and indices outside the table show nowhere.
      {kDummy1, 0.9f, {}},
      {kLayoutVersion, 0.025f, {}},
      {26, 0.5f, {}},
      {-1, 0.5f, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE("parameter " + std::to_string(k.index));
    EditorFixture f;
    const auto before = shown(f.c());
    f.plugin->setParameter(k.index, k.value);
    EXPECT_EQ(changes(before, shown(f.c())), k.expected);
  }
}

// Meter mode: 0 for peak metering whatever the scale, else the scale's step plus 1; the order
// in which the two parameters arrive does not matter.
TEST(EditorFollowsTheEffect, MeterModeFromTypeAndScale) {
  struct Case {
    int type;
    int scale;
    int mode;
  };
  const Case cases[] = {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {1, 0, 1}, {1, 1, 2}, {1, 2, 3}};
  for (const Case& k : cases) {
    for (bool typeFirst : {true, false}) {
      SCOPED_TRACE("type " + std::to_string(k.type) + " scale " + std::to_string(k.scale) +
                   (typeFirst ? " type first" : " scale first"));
      EditorFixture f;
      f.plugin->setParameter(typeFirst ? kMeterType : kScale,
                             typeFirst ? stepCentre(k.type, 2) : stepCentre(k.scale, 3));
      f.plugin->setParameter(typeFirst ? kScale : kMeterType,
                             typeFirst ? stepCentre(k.scale, 3) : stepCentre(k.type, 2));
      const Editor::Controls& c = f.c();
      EXPECT_EQ(c.meterIn->getMode(), k.mode);
      EXPECT_EQ(c.meterOut->getMode(), k.mode);
      EXPECT_EQ(c.lcdIn->getMode(), k.mode);
      EXPECT_EQ(c.lcdOut->getMode(), k.mode);
      EXPECT_EQ(c.meterMode->isKSystem(), k.type == 1);
      EXPECT_EQ(c.meterMode->getScaleIndex(), k.scale);
    }
  }
}

// A new AttShow value starts the gain-reduction meter and readout again.
TEST(EditorFollowsTheEffect, AttShowResetsTheGainReductionDisplays) {
  EditorFixture f;
  f.plugin->readings = {1, 1, 1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 0.25f, 0.5f};
  f.idleAt(1040);
  ASSERT_LT(f.c().lcdGR->heldDb(0), -11.0f);
  f.plugin->setParameter(kAttShow, stepCentre(3, 8));
  f.host->idle();  // the displays honour the request when they draw
  EXPECT_EQ(f.c().lcdGR->heldDb(0), 0.0f);
  EXPECT_EQ(f.c().meterGR->heldDb(0), 0.0f);
  EXPECT_LT(f.c().lcdIn->heldDb(0), 0.5f) << "the level readouts keep their values";
  EXPECT_GT(f.c().lcdIn->heldDb(0), -0.5f);
}

TEST(EditorFollowsTheEffect, NothingWhileTheWindowIsClosedAndTheLatencyReachesTheInformationScreen) {
  EditorFixture f(false);
  f.plugin->setParameter(kDrive, 0.75f);  // no window: nothing to update, nothing breaks
  f.plugin->setSampleRate(96000.0f);
  f.open();
  EXPECT_EQ(f.c().drive->getValue(), 0.75f);
  EXPECT_EQ(f.c().info->getLatency(), 287);
  f.plugin->setSampleRate(192000.0f);
  EXPECT_EQ(f.c().info->getLatency(), 543);
}

// ---- The controls to the host

struct Gesture {
  const char* name;
  std::function<void(EditorFixture&)> act;
  Log expected;  // the host calls, display refreshes left out
};

TEST(EditorTellsTheHost, UserChangesAreAutomatedAsGestures) {
  const Gesture gestures[] = {
      // A press on a button or selector arrow tells the value without a host gesture; the
      // wheel, knob drags and typed values are gestures.
      {"Power click", [](EditorFixture& f) { f.click(f.c().power); }, {"automate 8 0.2500"}},
      {"Power wheel",
       [](EditorFixture& f) { f.host->wheel(centre(f.c().power->getViewSize()), -1.0f); },
       {"begin 8", "automate 8 0.0000", "end 8"}},
      {"Oversample click", [](EditorFixture& f) { f.click(f.c().oversample); }, {"automate 6 1.0000"}},
      {"Drive drag",
       [](EditorFixture& f) {
         const CPoint from = centre(f.c().drive->getViewSize());
         f.host->drag(from, CPoint(from.x, from.y - 40), kLButton, 2);
       },
       {"begin 1", "automate 1 0.5500", "automate 1 0.6000", "end 1"}},
      {"Drive wheel",
       [](EditorFixture& f) { f.host->wheel(centre(f.c().drive->getViewSize()), 1.0f); },
       {"begin 1", "automate 1 0.5104", "end 1"}},
      {"Drive typed",
       [](EditorFixture& f) {
         f.click(f.c().driveField);
         f.host->type("6");
         f.host->key(VirtualKey::Return);
       },
       {"begin 1", "automate 1 0.6250", "end 1"}},
      {"Output typed beyond the range",
       [](EditorFixture& f) {
         f.click(f.c().outputField);
         f.host->type("+3dB");
         f.host->key(VirtualKey::Return);
       },
       {"begin 0", "automate 0 1.0000", "end 0"}},
      {"AttShow \"L\" click", [](EditorFixture& f) { f.click(f.c().attShow[2]); }, {"automate 20 0.4375"}},
      {"meter mode: peak part", [](EditorFixture& f) { f.host->click(CPoint(240, 310)); }, {"automate 18 0.2500"}},
      {"meter mode: upper arrow",
       [](EditorFixture& f) { f.host->click(CPoint(240, 337)); },
       {"automate 9 0.5000", "automate 18 0.7500"}},
      {"input meter click", [](EditorFixture& f) { f.click(f.c().meterIn); }, {}},
      {"information screen click", [](EditorFixture& f) { f.click(f.c().info); }, {}},
  };
  for (const Gesture& g : gestures) {
    SCOPED_TRACE(g.name);
    EditorFixture f;
    g.act(f);
    EXPECT_EQ(parameterCalls(), g.expected);
  }
}

// The flag buttons of AttShow edit one bit of its step each.
TEST(EditorTellsTheHost, AttShowFlagsSetAndClearTheirBit) {
  struct Case {
    int start;
    int button;  // 0 "1", 1 "2", 2 "L"
    int expected;
  };
  const Case cases[] = {
      {7, 1, 5},             // "12L" without "2": "1L"
      {5, 1, 7},             // and back
      {0, 2, 4},             // "L" alone
      {4, 0, 5}, {1, 0, 0},  // nothing shown
      {6, 2, 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.start) + " button " + std::to_string(k.button));
    EditorFixture f;
    f.plugin->setParameter(kAttShow, stepCentre(k.start, 8));
    f.click(f.c().attShow[k.button]);
    EXPECT_EQ(stepIndex(f.parameter(kAttShow), 8), k.expected);
    EXPECT_EQ(f.parameter(kAttShow), stepCentre(k.expected, 8));
    for (int bit = 0; bit < 3; ++bit)
      EXPECT_EQ(f.c().attShow[bit]->getValue(), stepCentre((k.expected >> bit) & 1, 2)) << "button " << bit;
  }
}

// A click on any meter or readout starts all six displays again and sets no parameter.
TEST(EditorTellsTheHost, ClickingAnyMeterResetsAllSixDisplays) {
  const std::function<const CControl*(const Editor::Controls&)> meters[] = {
      [](const Editor::Controls& c) { return c.meterIn; }, [](const Editor::Controls& c) { return c.meterOut; },
      [](const Editor::Controls& c) { return c.meterGR; }, [](const Editor::Controls& c) { return c.lcdIn; },
      [](const Editor::Controls& c) { return c.lcdOut; },  [](const Editor::Controls& c) { return c.lcdGR; },
  };
  int n = 0;
  for (const auto& meter : meters) {
    SCOPED_TRACE("meter " + std::to_string(++n));
    EditorFixture f;
    f.plugin->readings = {0.5f, 0.25f, 1.2f, 0.9f, 0.1f, 0.1f, 0.3f, 0.3f, 0.5f, 0.7f};
    f.idleAt(1040);
    const Editor::Controls& c = f.c();
    ASSERT_GT(c.lcdOut->heldDb(0), 1.0f);
    std::vector<float> values;
    for (int i = 0; i < kParamCount; ++i) values.push_back(f.parameter(i));

    f.click(meter(c));
    f.host->idle();  // the displays honour the request when they draw
    EXPECT_EQ(c.meterIn->displayedPeakDb(0), CMeterLevel::kFloorDb);
    EXPECT_EQ(c.meterIn->currentRmsDb(1), CMeterLevel::kFloorDb);
    EXPECT_EQ(c.meterOut->displayedPeakDb(0), CMeterLevel::kFloorDb);
    EXPECT_EQ(c.meterGR->heldDb(0), 0.0f);
    EXPECT_EQ(c.lcdIn->heldDb(0), CMeterLCD::kResetDb);
    EXPECT_EQ(c.lcdOut->heldDb(0), CMeterLCD::kResetDb);
    EXPECT_EQ(c.lcdGR->heldDb(1), CMeterLCDGR::kResetDb);
    EXPECT_EQ(parameterCalls(), Log{});
    for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(f.parameter(i), values[static_cast<std::size_t>(i)]) << i;
  }
}

// Switching the oversampling, the calibration or the reconstruction changes what the meters
// measure: all of them start again. AttZoom starts the gain-reduction meter again, PostMeter
// the input meter and its readout.
TEST(EditorTellsTheHost, SwitchesThatChangeWhatIsMeasuredResetThoseMeters) {
  struct Case {
    const char* name;
    std::function<CControl*(const Editor::Controls&)> control;
    std::string reset;  // in, out, gr, lcd in, lcd out, lcd gr: 1 when reset
  };
  const Case cases[] = {
      {"Oversample", [](const Editor::Controls& c) { return c.oversample; }, "111111"},
      {"MeterOvs", [](const Editor::Controls& c) { return c.meterOvs; }, "111111"},
      {"AttZoom", [](const Editor::Controls& c) { return c.attZoom; }, "001000"},
      {"PostMeter", [](const Editor::Controls& c) { return c.postMeter; }, "100100"},
      {"Power", [](const Editor::Controls& c) { return c.power; }, "000000"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EditorFixture f;
    f.plugin->readings = {0.5f, 0.5f, 0.5f, 0.5f, 0.1f, 0.1f, 0.1f, 0.1f, 0.5f, 0.5f};
    f.idleAt(1040);
    f.click(k.control(f.c()));
    f.host->idle();
    const Editor::Controls& c = f.c();
    std::string reset;
    reset += c.meterIn->displayedPeakDb(0) == CMeterLevel::kFloorDb ? '1' : '0';
    reset += c.meterOut->displayedPeakDb(0) == CMeterLevel::kFloorDb ? '1' : '0';
    reset += c.meterGR->heldDb(0) == 0.0f ? '1' : '0';
    reset += c.lcdIn->heldDb(0) == CMeterLCD::kResetDb ? '1' : '0';
    reset += c.lcdOut->heldDb(0) == CMeterLCD::kResetDb ? '1' : '0';
    reset += c.lcdGR->heldDb(0) == CMeterLCDGR::kResetDb ? '1' : '0';
    EXPECT_EQ(reset, k.reset);
  }
}

// Calibrate starts every meter again too; it is a selector, so a press on its upper arrow.
TEST(EditorTellsTheHost, CalibrationResetsEveryMeter) {
  EditorFixture f;
  f.plugin->readings = {0.5f, 0.5f, 0.5f, 0.5f, 0.1f, 0.1f, 0.1f, 0.1f, 0.5f, 0.5f};
  f.idleAt(1040);
  const CRect r = f.c().calibrate->getViewSize();
  f.host->click(CPoint(r.left + 16, r.top + 5));
  f.host->idle();
  EXPECT_EQ(stepIndex(f.parameter(kCalibrate), 4), 1);
  EXPECT_EQ(f.c().lcdOut->heldDb(0), CMeterLCD::kResetDb);
  EXPECT_EQ(f.c().lcdGR->heldDb(0), CMeterLCDGR::kResetDb);
}

// ---- Idle

// However often the host calls, the meters take new readings at most every 40 ms of the tick
// (also across the tick counter's wrap).
TEST(EditorIdle, MetersRefreshAtMostEvery40Ms) {
  struct Case {
    std::uint32_t tick;
    bool refreshes;
  };
  const Case cases[] = {
      {1001, false},
      {1020, false},
      {1039, false},
      {1040, true},
      {1041, false},
      {1079, false},
      {1080, true},
      {1200, true},
      {1239, false},
      {1240, true},
      // Across the wrap: 40 ms after 2^32 - 20 is 20.
      {0xFFFFFFECu, true},
      {0xFFFFFFFFu, false},
      {19, false},
      {20, true},
  };
  EditorFixture f;  // the window's first idle ran at 1000
  for (const Case& k : cases) {
    const int before = f.plugin->snapshots;
    f.idleAt(k.tick);
    EXPECT_EQ(f.plugin->snapshots - before, k.refreshes ? 1 : 0) << "tick " << k.tick;
  }
}

TEST(EditorIdle, ReadingsReachEveryDisplay) {
  EditorFixture f;
  // Input peaks 0 dBFS and -6 dB, output peaks +1.6 dB and -0.9 dB, gain reduction 6 and 12 dB.
  f.plugin->readings = {1.0f, 0.5f, 1.2f, 0.9f, 0.3f, 0.2f, 0.6f, 0.5f, 0.5f, 0.25f};
  f.idleAt(1040);
  const Editor::Controls& c = f.c();
  EXPECT_NEAR(c.meterIn->currentPeakDb(0), 0.0f, 0.01f);
  EXPECT_NEAR(c.meterIn->currentPeakDb(1), -6.02f, 0.01f);
  EXPECT_NEAR(c.meterOut->currentPeakDb(0), 1.58f, 0.01f);
  EXPECT_NEAR(c.meterOut->currentRmsDb(1), -6.02f, 0.01f);
  EXPECT_NEAR(c.meterGR->currentDb(0), -6.02f, 0.01f);
  EXPECT_NEAR(c.meterGR->currentDb(1), -12.04f, 0.01f);
  EXPECT_NEAR(c.lcdIn->heldDb(1), -6.02f, 0.01f);
  EXPECT_NEAR(c.lcdOut->heldDb(0), 1.58f, 0.01f);
  EXPECT_NEAR(c.lcdGR->heldDb(1), -12.04f, 0.01f);
}

// The calibration blinks with the idle's tick: bit 8 of it.
TEST(EditorIdle, CalibrationBlinksWithTheTick) {
  EditorFixture f;
  f.idleAt(1040);
  EXPECT_EQ(f.c().calibrate->getBlinkTick(), 1040u);
  f.idleAt(1050);
  EXPECT_EQ(f.c().calibrate->getBlinkTick(), 1040u) << "too early: no refresh";
  f.idleAt(1536);
  EXPECT_EQ(f.c().calibrate->getBlinkTick(), 1536u);
}

// ---- Metering preferences

std::string storedValue(EditorFixture& f, const char* name) {
  return stellix::testing::fileContents(f.home.keyFolder() / "PREFS" / name);
}

// A right click on any of the seven preference controls writes all six settings and lights
// all seven controls until the first idle more than 500 ms later.
TEST(EditorPreferences, RightClickSavesAllSixAndLightsAllSeven) {
  const std::function<CControl*(const Editor::Controls&)> preferenceControls[] = {
      [](const Editor::Controls& c) { return c.attZoom; },    [](const Editor::Controls& c) { return c.attShow[0]; },
      [](const Editor::Controls& c) { return c.attShow[1]; }, [](const Editor::Controls& c) { return c.attShow[2]; },
      [](const Editor::Controls& c) { return c.meterOvs; },   [](const Editor::Controls& c) { return c.postMeter; },
      [](const Editor::Controls& c) { return c.meterMode; },
  };
  int n = 0;
  for (const auto& control : preferenceControls) {
    SCOPED_TRACE("preference control " + std::to_string(++n));
    EditorFixture f;
    f.plugin->setParameter(kScale, stepCentre(2, 3));
    f.plugin->setParameter(kMeterType, stepCentre(1, 2));
    f.plugin->setParameter(kAttZoom, stepCentre(1, 2));
    f.plugin->setParameter(kAttShow, stepCentre(5, 8));
    f.plugin->setParameter(kMeterOvs, stepCentre(0, 2));
    f.plugin->setParameter(kPostMeter, stepCentre(1, 2));
    hostLog().clear();
    const Editor::Controls& c = f.c();
    auto litCount = [&c] {
      int lit = c.meterMode->isLit() ? 1 : 0;
      for (const CStellixButton* b :
           {static_cast<const CStellixButton*>(c.attZoom), static_cast<const CStellixButton*>(c.attShow[0]),
            static_cast<const CStellixButton*>(c.attShow[1]), static_cast<const CStellixButton*>(c.attShow[2]),
            static_cast<const CStellixButton*>(c.meterOvs), static_cast<const CStellixButton*>(c.postMeter)})
        lit += b->isLit() ? 1 : 0;
      return lit;
    };

    f.host->setTicks(1010);
    f.click(control(c), kRButton);
    EXPECT_EQ(storedValue(f, "Metering_Scale"), "2");
    EXPECT_EQ(storedValue(f, "Metering_Type"), "1");
    EXPECT_EQ(storedValue(f, "Metering_Zoom"), "1");
    EXPECT_EQ(storedValue(f, "Metering_AttShow"), "5");
    EXPECT_EQ(storedValue(f, "Metering_Recon"), "0");
    EXPECT_EQ(storedValue(f, "Metering_Post"), "1");
    EXPECT_EQ(parameterCalls(), Log{}) << "a right click changes no parameter";
    EXPECT_EQ(litCount(), 7);
    f.idleAt(1050);
    EXPECT_EQ(litCount(), 7);
    f.idleAt(1510);
    EXPECT_EQ(litCount(), 7) << "500 ms: still lit";
    f.idleAt(1511);
    EXPECT_EQ(litCount(), 7) << "an idle too early to refresh does not end it";
    f.idleAt(1550);
    EXPECT_EQ(litCount(), 0);
  }
}

// Buttons that are no preference control save nothing on a right click.
TEST(EditorPreferences, OtherButtonsSaveNothing) {
  EditorFixture f;
  for (const CControl* control :
       {static_cast<const CControl*>(f.c().power), static_cast<const CControl*>(f.c().autoOut),
        static_cast<const CControl*>(f.c().quantize), static_cast<const CControl*>(f.c().detectorOrder)})
    f.click(control, kRButton);
  EXPECT_FALSE(std::filesystem::exists(f.home.keyFolder() / "PREFS"));
  EXPECT_FALSE(f.c().meterMode->isLit());
}

// The effect loads the settings when it is made; the window shows them.
TEST(EditorPreferences, StoredSettingsShowWhenTheWindowOpens) {
  auto store = [](stellix::testing::TempConfigHome& home) {
    const auto prefs = home.keyFolder() / "PREFS";
    stellix::testing::writeFileContents(prefs / "Metering_Scale", "7");  // beyond the last step: K-20
    stellix::testing::writeFileContents(prefs / "Metering_Type", "1");
    stellix::testing::writeFileContents(prefs / "Metering_Zoom", "1");
    // No "Metering_Post": PostMeter keeps the program's "pre meter".
  };
  EditorFixture f(true, store);
  const Editor::Controls& c = f.c();
  EXPECT_TRUE(c.meterMode->isKSystem());
  EXPECT_EQ(c.meterMode->getScaleIndex(), 2);
  EXPECT_EQ(c.meterIn->getMode(), 3);
  EXPECT_EQ(c.lcdOut->getMode(), 3);
  EXPECT_TRUE(c.meterGR->getZoom());
  EXPECT_EQ(stepIndex(c.postMeter->getValue(), 2), 0);
  EXPECT_EQ(displayText(kScale, f.parameter(kScale)), "K-20");
}

// ---- The window's life

TEST(EditorWindow, SizeIsKnownBeforeTheWindowOpens) {
  EditorFixture f(false);
  AEffect* e = f.plugin->getAeffect();
  EXPECT_NE(e->flags & effFlagsHasEditor, 0);
  ERect* rect = nullptr;
  EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 462);
  EXPECT_EQ(rect->right, 524);
  EXPECT_EQ(f.editor->getFrame(), nullptr);
}

TEST(EditorWindow, OpenCloseOpenThroughTheDispatcher) {
  EditorFixture f(false);
  AEffect* e = f.plugin->getAeffect();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, kParentWindow, 0.0f), 1);
    ASSERT_NE(f.editor->getFrame(), nullptr);
    EXPECT_EQ(f.frame().getNbViews(), 50);
    EXPECT_NE(f.c().meterIn, nullptr);
    EXPECT_NE(f.editor->nameField(), nullptr);
    EXPECT_EQ(f.platforms.opened(), round + 1);
    e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0.0f);
    // A change while open reaches the new controls.
    f.plugin->setParameter(kDrive, round ? 0.25f : 0.75f);
    EXPECT_EQ(f.c().drive->getValue(), round ? 0.25f : 0.75f);
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(f.editor->getFrame(), nullptr);
    EXPECT_EQ(f.c().meterIn, nullptr);
    EXPECT_EQ(f.c().info, nullptr);
    EXPECT_EQ(f.editor->nameField(), nullptr);
    // Closed: changes, idles and latencies touch nothing.
    f.plugin->setParameter(kOutput, 0.5f);
    f.plugin->setSampleRate(48000.0f);
    e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0.0f);
  }
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, nullptr, 0.0f), 0) << "no parent window";
  EXPECT_EQ(f.editor->getFrame(), nullptr);
}

// A second open while the window is open builds nothing new.
TEST(EditorWindow, OpenWhileOpenKeepsTheWindow) {
  EditorFixture f;
  CControl* drive = f.c().drive;
  EXPECT_TRUE(f.editor->open(kParentWindow));
  EXPECT_EQ(f.c().drive, drive);
  EXPECT_EQ(f.frame().getNbViews(), 50);
}

// The information screen takes every press while it is open; the next press closes it.
TEST(EditorWindow, InformationScreenIsModal) {
  EditorFixture f;
  f.click(f.c().info);
  ASSERT_TRUE(f.c().info->isOpen());
  EXPECT_EQ(f.frame().getModalView(), f.c().info);
  const float power = f.parameter(kPower);
  f.click(f.c().power);  // lands on the screen, which closes
  EXPECT_FALSE(f.c().info->isOpen());
  EXPECT_EQ(f.frame().getModalView(), nullptr);
  EXPECT_EQ(f.parameter(kPower), power);
  EXPECT_EQ(parameterCalls(), Log{});
}

}  // namespace
