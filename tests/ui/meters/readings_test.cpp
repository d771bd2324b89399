// What the displays make of their readings: readout texts and the red box, construction and
// reset values, reset requests from other threads, clicks, and odd readings of every kind.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "meter_window.h"

namespace {

using meters_test::fromDb;
using meters_test::Log;
using meters_test::MeterWindow;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(PeakReadout, TextAndRedBoxOfAHeldPeak) {
  struct Case {
    int mode;
    float peak;
    const char* text;
    bool over;
  };
  const Case cases[] = {
      {0, 1.0f, "+0.0", false},  // exactly 0 dBFS is not over
      {0, 1.001f, "+0.0", true},
      {0, 0.5f, "-6.0", false},
      {0, 0.0f, "-oo", false},  // silence
      {0, fromDb(-99.9f), "-99.9", false},
      {0, fromDb(-100.5f), "-oo", false},
      {1, 0.5f, "+6.0", false},
      {2, 0.5f, "+8.0", false},
      {3, 1.0f, "+20.0", false},
      {3, 2.0f, "+26.0", true},  // over is judged before the K offset
      {3, 0.0f, "-oo", false},   // -120 + 20 = -100
      {3, fromDb(-119.0f), "-99.0", false},
      {0, 1e30f, "+600.0", true},
      {7, 0.5f, "-6.0", false},  // an unknown mode adds nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " " + std::to_string(c.peak));
    MeterWindow w;
    w.lcdOut->setMode(c.mode);
    w.lcdOut->feed(c.peak, 0.0f);
    w.idle();
    EXPECT_EQ(w.lcdOut->fieldText(0), c.text);
    EXPECT_EQ(w.lcdOut->isOver(0), c.over);
    EXPECT_FALSE(w.lcdOut->isOver(1));
  }
}

TEST(PeakReadout, HoldsTheHighestPeakUntilReset) {
  MeterWindow w;
  w.lcdIn->feed(0.5f, 0.25f);
  w.lcdIn->feed(0.25f, 0.5f);
  w.lcdIn->feed(0.0f, kNaN);
  EXPECT_NEAR(w.lcdIn->heldDb(0), -6.02f, 0.01f);
  EXPECT_NEAR(w.lcdIn->heldDb(1), -6.02f, 0.01f);
  w.lcdIn->reset();
  w.idle();
  EXPECT_EQ(w.lcdIn->heldDb(0), -120.0f);
  EXPECT_EQ(w.lcdIn->fieldText(1), "-oo");
}

TEST(GainReductionReadout, TextOfTheHeldReduction) {
  struct Case {
    float gain;
    const char* text;
  };
  const Case cases[] = {
      {1.0f, "0.0"},
      {0.5f, "-6.0"},
      {fromDb(-0.04f), "-0.0"},
      {2.0f, "0.0"},  // a gain adds nothing
      {0.0f, "-inf"},
      {fromDb(-12.34f), "-12.3"},
      {kNaN, "0.0"},
      {-1.0f, "0.0"},
      {1e-30f, "-600.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gain);
    MeterWindow w;
    w.lcdGr->feed(c.gain, 1.0f);
    w.idle();
    EXPECT_EQ(w.lcdGr->fieldText(0), c.text);
    EXPECT_EQ(w.lcdGr->fieldText(1), "0.0");
  }
}

TEST(MeterStart, ConstructionValues) {
  MeterWindow w;
  for (int ch = 0; ch < 2; ++ch) {
    EXPECT_EQ(w.in->displayedPeakDb(ch), -122.0f);
    EXPECT_EQ(w.in->currentRmsDb(ch), -122.0f);
    EXPECT_EQ(w.out->displayedPeakDb(ch), -121.0f);
    EXPECT_EQ(w.out->currentPeakDb(ch), -121.0f);
    EXPECT_EQ(w.in->holdCounter(ch), 50);
    EXPECT_EQ(w.gr->heldDb(ch), 0.0f);
    EXPECT_EQ(w.lcdIn->fieldText(ch), "-oo");
    EXPECT_EQ(w.lcdGr->fieldText(ch), "0.0");
  }
  for (CControl* c : w.all()) EXPECT_EQ(c->getTag(), 27);
}

// A reset is a request: another thread makes it, the UI thread carries it out at the next feed
// (before the new reading) or draw.
TEST(MeterReset, RequestsFromAnotherThreadAreCarriedOutOnTheUiThread) {
  for (const bool byDraw : {true, false}) {
    SCOPED_TRACE(byDraw ? "at the draw" : "at the feed");
    MeterWindow w;
    w.feedAll(1000, 2.0f, 0.5f, 2.0f, 0.5f, 0.25f);
    std::thread([&] {
      w.in->reset();
      w.out->reset();
      w.gr->reset();
      w.lcdIn->reset();
      w.lcdOut->reset();
      w.lcdGr->reset();
    }).join();
    // Nothing changes until the UI thread takes the requests.
    EXPECT_NEAR(w.lcdIn->heldDb(0), 6.02f, 0.01f);
    for (CControl* c : w.all()) EXPECT_TRUE(c->isDirty());
    if (byDraw) {
      w.idle();
      EXPECT_EQ(w.in->displayedPeakDb(0), -122.0f);
      EXPECT_EQ(w.out->currentRmsDb(1), -122.0f);
      EXPECT_EQ(w.gr->heldDb(0), 0.0f);
      EXPECT_EQ(w.lcdIn->heldDb(1), -120.0f);
      EXPECT_EQ(w.lcdOut->heldDb(0), -120.0f);
      EXPECT_EQ(w.lcdGr->heldDb(1), 0.0f);
    } else {
      w.feedAll(1040, 0.5f, 0.25f, 0.5f, 0.25f, 0.5f);
      EXPECT_NEAR(w.in->displayedPeakDb(0), -6.02f, 0.01f);
      EXPECT_NEAR(w.gr->heldDb(0), -6.02f, 0.01f);
      EXPECT_NEAR(w.lcdIn->heldDb(1), -6.02f, 0.01f);
      EXPECT_NEAR(w.lcdGr->heldDb(1), -6.02f, 0.01f);
    }
  }
}

TEST(MeterClicks, LeftClickNotifiesAndResetsAReadoutOtherButtonsDoNothing) {
  enum Display { kIn, kOut, kGr, kLcdIn, kLcdOut, kLcdGr };  // order of MeterWindow::all
  struct Case {
    Display display;
    CButtonState buttons;
    bool notifies;
  };
  const Case cases[] = {
      {kIn, kLButton, true},     {kOut, kLButton, true},
      {kGr, kLButton, true},     {kLcdIn, kLButton, true},
      {kLcdOut, kLButton, true}, {kLcdGr, kLButton, true},
      {kLcdIn, kRButton, false}, {kLcdGr, kMButton, false},
      {kIn, kRButton, false},    {kLcdOut, kLButton | kShift, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.display) + " buttons " + std::to_string(c.buttons));
    MeterWindow w;
    w.feedAll(1000, 2.0f, 0.5f, 2.0f, 0.5f, 0.25f);
    CControl* control = w.all()[c.display];
    const CRect r = control->getViewSize();
    w.host.click(CPoint(r.left + 20, r.bottom - 3), c.buttons);
    w.idle();
    EXPECT_EQ(w.log, c.notifies ? Log{"changed 27"} : Log{});
    EXPECT_EQ(control->getValue(), 0.0f);  // no parameter moves
    // A clicked readout resets itself; the rest wait for the editor's reset of every meter.
    EXPECT_EQ(w.lcdIn->heldDb(0) == -120.0f, c.notifies && c.display == kLcdIn);
    EXPECT_EQ(w.lcdOut->heldDb(1) == -120.0f, c.notifies && c.display == kLcdOut);
    EXPECT_EQ(w.lcdGr->heldDb(0) == 0.0f, c.notifies && c.display == kLcdGr);
    EXPECT_NEAR(w.in->displayedPeakDb(0), 6.02f, 0.01f);
    EXPECT_NEAR(w.gr->heldDb(1), -12.04f, 0.01f);
  }
}

// Readings a broken host or engine might deliver, fed to every display in every mode and
// drawn: each lands on a defined value (the sanitizer build checks the drawing).
TEST(MeterOddReadings, EveryDisplayDrawsWhateverItIsFed) {
  struct Case {
    float v;
    float levelPeakDb;  // level meters, from the value as peak
    float levelRmsDb;   // and as RMS
    float reductionDb;  // gain-reduction meter, from the value as gain factor
  };
  const Case cases[] = {
      {kNaN, -120.0f, -120.0f, 0.0f},    {kInf, 20.0f, kInf, kInf},        {-kInf, -120.0f, -120.0f, -30.0f},
      {-1.0f, -120.0f, -120.0f, -30.0f}, {0.0f, -120.0f, -120.0f, -30.0f}, {1e-30f, -120.0f, -120.0f, -30.0f},
      {1e30f, 20.0f, 600.0f, 600.0f},    {FLT_MAX, 20.0f, 770.6f, 770.6f}, {-0.0f, -120.0f, -120.0f, -30.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.v);
    MeterWindow w;
    for (const int mode : {0, 1, 2, 3, -1, 4, INT_MAX}) {
      for (CMeterLevel* m : {static_cast<CMeterLevel*>(w.in), static_cast<CMeterLevel*>(w.out)}) m->setMode(mode);
      w.lcdIn->setMode(mode);
      w.lcdOut->setMode(mode);
      w.gr->setZoom(mode & 1);
      w.feedAll(1000 + 40 * static_cast<std::uint32_t>(mode & 15), c.v, c.v, c.v, c.v, c.v);
      w.feedAll(1000000, c.v, c.v, c.v, c.v, c.v);
    }
    EXPECT_NEAR(w.in->currentPeakDb(0), c.levelPeakDb, 0.1f);
    if (std::isinf(c.levelRmsDb))
      EXPECT_EQ(w.out->currentRmsDb(1), c.levelRmsDb);
    else
      EXPECT_NEAR(w.out->currentRmsDb(1), c.levelRmsDb, 0.1f);
    EXPECT_GE(w.in->displayedPeakDb(0), -122.0f);
    EXPECT_LE(w.in->displayedPeakDb(0), 20.0f);
    if (std::isinf(c.reductionDb))
      EXPECT_EQ(w.gr->currentDb(0), c.reductionDb);
    else
      EXPECT_NEAR(w.gr->currentDb(0), c.reductionDb, 0.1f);
    EXPECT_FALSE(std::isnan(w.gr->heldDb(1)));
    EXPECT_FALSE(std::isnan(w.lcdIn->heldDb(0)));
    EXPECT_FALSE(std::isnan(w.lcdGr->heldDb(0)));
  }
}

}  // namespace
