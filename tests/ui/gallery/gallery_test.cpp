// Every control of the window at its place on the real background, set up as the editor sets
// them up, in the order the editor adds them, with meters fed known readings and the buttons
// in mixed states: the window as the user will see it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/golden.h"
#include "tests/ui/knob/window_fixture.h"
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

using namespace ui_test;

namespace {

// Step centres of 2, 3 and 8 steps as the editor writes them.
constexpr float kOff = 0.25f;
constexpr float kOn = 0.75f;

struct Gallery : WindowFixture {
  SharedBitmap backlight = loadBitmap(170);

  CStellixBcklitButton* detectorOrder;
  COversamplingButton* oversample;
  CModeButton* meterMode;
  CStellixBcklitButton* quantize;
  CAutoBlack* autoblack;
  CBits* bits;
  CNoiseShape* noiseShape;
  CCalibButton* calibrate;
  CStellixBcklitButton* attZoom;
  CStellixBcklitButton* attShow1;
  CStellixBcklitButton* attShow2;
  CStellixBcklitButton* attShowL;
  CMyKnob* transient;
  CMyKnob* release;
  CMyKnob* leveller;
  CMyKnob* link;
  CSpeedSwitch* transShape;
  CStellixButton* power;
  CMyKnob* drive;
  CMyKnob* output;
  CStellixButton* autoOut;
  CStellixButton* postMeter;
  CInfo* info;
  CStellixBcklitButton* meterOvs;
  CMeterIn* meterIn;
  CMeterOut* meterOut;
  CMeterGR* meterGR;
  CMeterLCD* lcdIn;
  CMeterLCD* lcdOut;
  CMeterLCDGR* lcdGR;

  Gallery() {
    detectorOrder = backlit(CRect(44, 40, 77, 59), 7, 139, false);
    oversample = add(new COversamplingButton(CRect(81, 40, 114, 59), &listener, 6, loadBitmap(140)));
    oversample->setBacklight(backlight);
    meterMode = add(new CModeButton(CRect(223, 305, 258, 367), &listener, 9, loadBitmap(141)));
    quantize = backlit(CRect(412, 40, 445, 59), 16, 162, false);
    autoblack = add(new CAutoBlack(CRect(449, 40, 482, 59), &listener, 17, loadBitmap(163)));
    autoblack->setBacklight(backlight);
    bits = add(new CBits(CRect(412, 72, 445, 103), &listener, 10, loadBitmap(142)));
    noiseShape = add(new CNoiseShape(CRect(449, 72, 482, 103), &listener, 11, loadBitmap(143)));
    calibrate = add(new CCalibButton(CRect(269, 335, 302, 366), &listener, 12, loadBitmap(145)));
    attZoom = backlit(CRect(269, 265, 302, 284), 19, 144, true);
    attShow1 = backlit(CRect(224, 265, 257, 284), 28, 164, true);
    attShow2 = backlit(CRect(224, 230, 257, 249), 29, 165, true);
    attShowL = backlit(CRect(269, 230, 302, 249), 30, 166, true);
    transient = add(makeKnob(knobSetup("Transient"), &listener));
    release = add(makeKnob(knobSetup("Release"), &listener));
    leveller = add(makeKnob(knobSetup("Leveller"), &listener));
    link = add(makeKnob(knobSetup("LRLink"), &listener));
    transShape = add(new CSpeedSwitch(CRect(38, 121, 128, 146), &listener, 4, loadBitmap(146)));
    power = add(new CStellixButton(CRect(245, 400, 280, 435), &listener, 8, loadBitmap(149)));
    drive = add(makeKnob(knobSetup("Drive"), &listener));
    output = add(makeKnob(knobSetup("Output"), &listener));
    autoOut = add(new CStellixButton(CRect(394, 368, 412, 392), &listener, 15, loadBitmap(161)));
    postMeter = add(new CStellixButton(CRect(116, 368, 134, 392), &listener, 21, loadBitmap(161)));
    postMeter->setPreferenceFlag(true);
    info = add(new CInfo(CRect(224, 370, 301, 401), loadBitmap(157), loadBitmap(137)));
    meterOvs = backlit(CRect(269, 307, 302, 326), 14, 160, true);
    meterIn = add(new CMeterIn(&listener));
    meterOut = add(new CMeterOut(&listener));
    meterGR = add(new CMeterGR(&listener));
    lcdIn = add(new CMeterLCD(CMeterLCD::kInputRect, &listener));
    lcdOut = add(new CMeterLCD(CMeterLCD::kOutputRect, &listener));
    lcdGR = add(new CMeterLCDGR(&listener));
    info->setLatency(159);
  }

  CStellixBcklitButton* backlit(const CRect& rect, std::int32_t tag, int bitmap, bool preference) {
    auto* button = add(new CStellixBcklitButton(rect, &listener, tag, loadBitmap(bitmap)));
    button->setBacklight(backlight);
    button->setPreferenceFlag(preference);
    return button;
  }

  // The meter mode as the editor gives it to the meters and readouts.
  void setMeterMode(bool kSystem, int scale) {
    meterMode->setKSystem(kSystem);
    meterMode->setScaleIndex(scale);
    const int mode = kSystem ? scale + 1 : 0;
    for (CMeterLevel* meter : {static_cast<CMeterLevel*>(meterIn), static_cast<CMeterLevel*>(meterOut)})
      meter->setMode(mode);
    lcdIn->setMode(mode);
    lcdOut->setMode(mode);
  }

  void setQuantize(bool on) {
    quantize->setValue(on ? kOn : kOff);
    bits->setQuantize(on);
    noiseShape->setQuantize(on);
    autoblack->setQuantize(on);
  }

  void setPreferenceFlash(bool lit) {
    for (CStellixButton* b : {static_cast<CStellixButton*>(attZoom), static_cast<CStellixButton*>(attShow1),
                              static_cast<CStellixButton*>(attShow2), static_cast<CStellixButton*>(attShowL),
                              static_cast<CStellixButton*>(meterOvs), static_cast<CStellixButton*>(postMeter)})
      b->setLit(lit);
    meterMode->setLit(lit);
  }

  // One idle tick of the editor: readings in, meters drawn.
  void feed(std::uint32_t t, float inPeak[2], float inRms[2], float outPeak[2], float outRms[2], float gr[2]) {
    host.setTicks(t);
    meterIn->feed(t, inPeak[0], inPeak[1], inRms[0], inRms[1]);
    meterOut->feed(t, outPeak[0], outPeak[1], outRms[0], outRms[1]);
    meterGR->feed(t, gr[0], gr[1]);
    lcdIn->feed(inPeak[0], inPeak[1]);
    lcdOut->feed(outPeak[0], outPeak[1]);
    lcdGR->feed(gr[0], gr[1]);
    calibrate->setBlinkTick(t);
    host.idle();
  }
};

// A session in peak metering: a loud master limited by about 7 dB, requantized to 16 bits
// with shaping, most switches on, the knobs off their defaults.
void setUpPeakSession(Gallery& g) {
  g.detectorOrder->setValue(kOn);
  g.oversample->setValue(1.0f);
  g.setMeterMode(false, 1);
  g.setQuantize(true);
  g.autoblack->setIndex(1);
  g.bits->setIndex(2);
  g.noiseShape->setIndex(3);
  g.calibrate->setIndex(0);
  g.attZoom->setValue(kOff);
  g.attShow1->setValue(kOn);
  g.attShow2->setValue(kOff);
  g.attShowL->setValue(kOn);
  g.transient->setValue(0.2f);
  g.release->setValue(0.7237f);
  g.leveller->setValue(0.75f);
  g.link->setValue(1.0f);
  g.transShape->setValue(0.5f);
  g.power->setValue(kOn);
  g.drive->setValue(0.62f);
  g.output->setValue(0.98f);
  g.autoOut->setValue(kOff);
  g.postMeter->setValue(kOn);
  g.meterOvs->setValue(kOn);
  g.meterGR->setZoom(false);
  float inPeak[2] = {0.63f, 1.05f}, inRms[2] = {0.2f, 0.22f};
  float outPeak[2] = {0.966f, 0.95f}, outRms[2] = {0.4f, 0.42f};
  float gr[2] = {0.436f, 0.555f};
  g.feed(1000, inPeak, inRms, outPeak, outRms, gr);
  g.feed(1040, inPeak, inRms, outPeak, outRms, gr);
}

TEST(GalleryRender, PeakMeteringSession) {
  Gallery g;
  setUpPeakSession(g);
  stellix::testing::expectGolden(g.pixels(), STELLIX_GOLDEN_DIR, "gallery-peak");
}

// K-20 metering on quiet material, zoomed gain reduction, requantizing off (the word length
// and shaping unlit, Autoblack on but inactive), a calibration running in its lit phase, the
// pointer over the detector order button, and the preference flash just after a save.
TEST(GalleryRender, KTwentyWithThePreferenceFlash) {
  Gallery g;
  g.detectorOrder->setValue(kOff);
  g.oversample->setValue(0.0f);
  g.setMeterMode(true, 2);
  g.setQuantize(false);
  g.autoblack->setIndex(1);
  g.bits->setIndex(4);
  g.noiseShape->setIndex(6);
  g.calibrate->setIndex(3);
  g.attZoom->setValue(kOn);
  g.attShow1->setValue(kOn);
  g.attShow2->setValue(kOn);
  g.attShowL->setValue(kOn);
  g.transient->setValue(0.0f);
  g.release->setValue(1.0f);
  g.leveller->setValue(1.0f);
  g.link->setValue(0.0f);
  g.transShape->setValue(1.0f);
  g.power->setValue(kOn);
  g.drive->setValue(0.5f);
  g.output->setValue(1.0f);
  g.autoOut->setValue(kOn);
  g.postMeter->setValue(kOff);
  g.meterOvs->setValue(kOff);
  g.meterGR->setZoom(true);
  g.setPreferenceFlash(true);
  g.host.mouseMove(CPoint(60, 50));
  // Bit 8 of the tick clear: the calibration shows its lit picture.
  float inPeak[2] = {0.3f, 0.28f}, inRms[2] = {0.1f, 0.09f};
  float outPeak[2] = {0.5f, 0.45f}, outRms[2] = {0.1f, 0.1f};
  float gr[2] = {0.8f, 0.85f};
  g.feed(2048, inPeak, inRms, outPeak, outRms, gr);
  g.feed(2088, inPeak, inRms, outPeak, outRms, gr);
  ASSERT_TRUE(g.detectorOrder->isHovered());
  stellix::testing::expectGolden(g.pixels(), STELLIX_GOLDEN_DIR, "gallery-k20-flash");
}

// The frame redraws only what is dirty; a window drawn that way must equal the same window
// drawn whole, or some control draws outside its rectangle or depends on what lay beneath.
TEST(GalleryDraw, RedrawingOnlyWhatChangedEqualsDrawingTheWholeWindow) {
  Gallery g;
  setUpPeakSession(g);
  g.host.mouseMove(CPoint(430, 50));   // over Quantize
  g.host.mouseMove(CPoint(430, 300));  // and off it again onto the plate
  g.host.mouseMove(CPoint(465, 75));   // over NoiseShape's upper arrow
  g.setPreferenceFlash(true);
  g.calibrate->setIndex(2);
  g.setMeterMode(true, 0);
  float inPeak[2] = {0.1f, 0.1f}, inRms[2] = {0.05f, 0.05f};
  float outPeak[2] = {0.2f, 0.2f}, outRms[2] = {0.1f, 0.1f};
  float gr[2] = {1.0f, 1.0f};
  g.feed(1300, inPeak, inRms, outPeak, outRms, gr);
  g.setPreferenceFlash(false);
  g.host.click(CPoint(260, 385));  // the information screen opens
  g.host.idle();
  g.host.click(CPoint(260, 385));  // and closes
  g.feed(1340, inPeak, inRms, outPeak, outRms, gr);
  const PixelBuffer incremental = g.pixels();
  g.frame().redrawAll();
  EXPECT_EQ(incremental.pixels, g.pixels().pixels);
}

}  // namespace
