// What open builds: every control of the window and of the preset bar, in the order the frame
// holds them, with its class, rectangle, tag, picture and set-up.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <typeinfo>

#include "presets/ckorvantextedit.h"
#include "presets/cpskickbutton.h"
#include "presets/cpsrockerswitch.h"
#include "presets/csaveloadbutton.h"
#include "tests/ui/editor/editor_fixture.h"
#include "toolkit/controls/coptionmenu.h"
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

namespace {

constexpr int kNoBitmap = -1;   // the control has no picture of its own
constexpr int kUnchecked = -2;  // the meters take their pictures themselves

struct Row {
  const std::type_info& type;
  CRect rect;
  std::int32_t tag;
  int bitmap;
  std::string setUp;
};

std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0) {
  char text[128];
  std::snprintf(text, sizeof text, pattern, a, b, c, d);
  return text;
}

std::string backlight(const SharedBitmap& b) { return b ? "backlight " + std::to_string(b->getResourceId()) : ""; }

// The set-up of a control as it is, in the words of the table below.
std::string describeSetUp(CView* view) {
  std::string s;
  auto add = [&s](const std::string& part) {
    if (part.empty()) return;
    if (!s.empty()) s += ", ";
    s += part;
  };
  if (auto* b = dynamic_cast<CStellixBcklitButton*>(view)) add(backlight(b->getBacklight()));
  if (auto* b = dynamic_cast<COversamplingButton*>(view)) add(backlight(b->getBacklight()));
  if (auto* b = dynamic_cast<CAutoBlack*>(view)) {
    add(backlight(b->getBacklight()));
    add(b->getQuantize() ? "quantize" : "no quantize");
  }
  if (auto* b = dynamic_cast<CStellixButton*>(view); b && b->getPreferenceFlag()) add("preference");
  if (auto* b = dynamic_cast<CBits*>(view)) add(b->getQuantize() ? "quantize" : "no quantize");
  if (auto* b = dynamic_cast<CNoiseShape*>(view)) add(b->getQuantize() ? "quantize" : "no quantize");
  if (auto* m = dynamic_cast<CModeButton*>(view))
    add(std::string(m->isKSystem() ? "k-system" : "peak") + " scale " + std::to_string(m->getScaleIndex()));
  if (auto* k = dynamic_cast<CMyKnob*>(view))
    add(format("drag %g wheel %.4f fine %g default %g", k->getDragRangeFactor(), k->getWheelInc(),
               k->getWheelFineFactor(), k->getDefaultValue()));
  if (auto* i = dynamic_cast<CInfo*>(view)) add("latency " + std::to_string(i->getLatency()));
  if (auto* f = dynamic_cast<CKorvanTextEdit*>(view)) {
    const CColor c = f->getFontColor();
    add(f->getFont()->getName() + " " + std::to_string(f->getFont()->getSize()));
    add(format("colour %g %g %g %g", c.red, c.green, c.blue, c.alpha));
    add(format("offset %g %g", f->getBackOffset().x, f->getBackOffset().y));
    if (f->getEditTextColor()) add("edit colour");
    if (f->getTag() < 1000) add("text " + f->getText());
  }
  if (auto* m = dynamic_cast<CMeterLevel*>(view)) add("mode " + std::to_string(m->getMode()));
  if (auto* m = dynamic_cast<CMeterLCD*>(view)) add("mode " + std::to_string(m->getMode()));
  if (auto* m = dynamic_cast<CMeterGR*>(view)) add(m->getZoom() ? "zoom" : "no zoom");
  return s;
}

int bitmapOf(CView* view) {
  const SharedBitmap& b = view->getBackground();
  return b ? b->getResourceId() : kNoBitmap;
}

// The default program: Power on, Quantize off, peak metering (scale K-12) with AttShow "12L",
// 0 dB drive and output, 20 % transient, 200 ms release, the leveller off and full link.
const Row kWindow[] = {
    {typeid(CStellixBcklitButton), CRect(44, 40, 77, 59), 7, 139, "backlight 170"},
    {typeid(COversamplingButton), CRect(81, 40, 114, 59), 6, 140, "backlight 170"},
    {typeid(CModeButton), CRect(223, 305, 258, 367), 9, 141, "peak scale 0"},
    {typeid(CStellixBcklitButton), CRect(412, 40, 445, 59), 16, 162, "backlight 170"},
    {typeid(CAutoBlack), CRect(449, 40, 482, 59), 17, 163, "backlight 170, no quantize"},
    {typeid(CBits), CRect(412, 72, 445, 103), 10, 142, "no quantize"},
    {typeid(CNoiseShape), CRect(449, 72, 482, 103), 11, 143, "no quantize"},
    {typeid(CCalibButton), CRect(269, 335, 302, 366), 12, 145, ""},
    {typeid(CStellixBcklitButton), CRect(269, 265, 302, 284), 19, 144, "backlight 170, preference"},
    {typeid(CStellixBcklitButton), CRect(224, 265, 257, 284), 28, 164, "backlight 170, preference"},
    {typeid(CStellixBcklitButton), CRect(224, 230, 257, 249), 29, 165, "backlight 170, preference"},
    {typeid(CStellixBcklitButton), CRect(269, 230, 302, 249), 30, 166, "backlight 170, preference"},
    {typeid(CMyKnob), CRect(55, 169, 105, 217), 2, 152, "drag 0.7 wheel 0.0500 fine 0.1 default 0.2"},
    {typeid(CMyKnob), CRect(56, 267, 105, 314), 3, 153, "drag 0.7 wheel 0.0500 fine 0.1 default 0.7237"},
    {typeid(CMyKnob), CRect(421, 169, 469, 216), 13, 147, "drag 0.7 wheel 0.0417 fine 0.1 default 1"},
    {typeid(CMyKnob), CRect(421, 267, 469, 314), 5, 148, "drag 0.7 wheel 0.0500 fine 0.1 default 1"},
    {typeid(CSpeedSwitch), CRect(38, 121, 128, 146), 4, 146, ""},
    {typeid(CStellixButton), CRect(245, 400, 280, 435), 8, 149, ""},
    {typeid(CMyKnob), CRect(52, 349, 108, 404), 1, 150, "drag 1 wheel 0.0104 fine 0.1 default 0.5"},
    {typeid(CMyKnob), CRect(417, 349, 475, 405), 0, 151, "drag 1 wheel 0.0417 fine 0.1 default 1"},
    {typeid(CStellixButton), CRect(394, 368, 412, 392), 15, 161, ""},
    {typeid(CStellixButton), CRect(116, 368, 134, 392), 21, 161, "preference"},
    {typeid(CInfo), CRect(224, 370, 301, 401), -1, 157, "latency 159"},
    {typeid(CKorvanTextEdit), CRect(43, 409, 117, 427), 1, 128,
     "Arial 10, colour 213 236 246 255, offset 43 409, text +0.00dB"},
    {typeid(CKorvanTextEdit), CRect(410, 409, 484, 427), 0, 128,
     "Arial 10, colour 213 236 246 255, offset 410 409, text +0.00dB"},
    {typeid(CKorvanTextEdit), CRect(45, 221, 119, 239), 2, 128,
     "Arial 10, colour 39 39 39 255, offset 45 221, text 20.0%"},
    {typeid(CKorvanTextEdit), CRect(45, 319, 119, 337), 3, 128,
     "Arial 10, colour 39 39 39 255, offset 45 319, text 200.0ms"},
    {typeid(CKorvanTextEdit), CRect(411, 221, 485, 239), 13, 128,
     "Arial 10, colour 39 39 39 255, offset 411 221, text off"},
    {typeid(CKorvanTextEdit), CRect(411, 319, 485, 337), 5, 128,
     "Arial 10, colour 39 39 39 255, offset 411 319, text 100.0%"},
    {typeid(CStellixBcklitButton), CRect(269, 307, 302, 326), 14, 160, "backlight 170, preference"},
    {typeid(CMeterIn), CRect(147, 38, 207, 408), 27, kUnchecked, "mode 0"},
    {typeid(CMeterOut), CRect(319, 38, 379, 406), 27, kUnchecked, "mode 0"},
    {typeid(CMeterGR), CRect(233, 39, 291, 192), 27, kUnchecked, "no zoom"},
    {typeid(CMeterLCD), CRect(131, 415, 224, 426), 27, kUnchecked, "mode 0"},
    {typeid(CMeterLCD), CRect(303, 415, 396, 426), 27, kUnchecked, "mode 0"},
    {typeid(CMeterLCDGR), CRect(217, 199, 310, 210), 27, kUnchecked, ""},
};

const Row kPresetBar[] = {
    {typeid(CKorvanTextEdit), CRect(194, 447, 318, 461), 1000, 128, "Arial 10, colour 36 36 32 255, offset 194 447"},
    {typeid(COptionMenu), CRect(320, 448, 333, 460), 1012, 128, ""},
    {typeid(CPSRockerSwitch), CRect(340, 447, 370, 460), 1001, 995, ""},
    {typeid(CSaveLoadButton), CRect(72, 447, 89, 462), 1002, 990, ""},
    {typeid(CSaveLoadButton), CRect(22, 447, 39, 462), 1003, 991, ""},
    {typeid(CPSKickButton), CRect(39, 447, 71, 460), 1013, 992, ""},
    {typeid(CSaveLoadButton), CRect(166, 447, 183, 462), 1004, 990, ""},
    {typeid(CSaveLoadButton), CRect(104, 447, 121, 462), 1005, 991, ""},
    {typeid(CPSKickButton), CRect(122, 447, 166, 460), 1014, 993, ""},
    {typeid(CPSKickButton), CRect(421, 447, 438, 462), 1017, 990, ""},
    {typeid(CPSKickButton), CRect(388, 447, 405, 462), 1015, 991, ""},
    {typeid(CPSKickButton), CRect(486, 447, 503, 462), 1018, 990, ""},
    {typeid(CPSKickButton), CRect(452, 447, 469, 462), 1016, 991, ""},
    {typeid(CPSKickButton), CRect(510, 449, 521, 458), 1019, 989, ""},
};

std::string rectText(const CRect& r) { return format("%g, %g, %g, %g", r.left, r.top, r.right, r.bottom); }

void expectRow(CView* view, const Row& row, const std::string& where) {
  SCOPED_TRACE(where);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::string(typeid(*view).name()), std::string(row.type.name()));
  EXPECT_EQ(rectText(view->getViewSize()), rectText(row.rect));
  auto* control = dynamic_cast<CControl*>(view);
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->getTag(), row.tag);
  if (row.bitmap != kUnchecked) {
    EXPECT_EQ(bitmapOf(view), row.bitmap);
  }
  EXPECT_EQ(describeSetUp(view), row.setUp);
  // The information screen alone tells nobody; every other control tells the editor.
  const bool tells = control->getListener() != nullptr;
  EXPECT_EQ(tells, row.type != typeid(CInfo));
}

TEST(EditorLayout, OpenBuildsTheWindowsControlsThenThePresetBarInOrder) {
  EditorFixture f;
  CFrame& frame = f.frame();
  ASSERT_EQ(frame.getNbViews(), static_cast<int>(std::size(kWindow) + std::size(kPresetBar)));
  EXPECT_EQ(rectText(frame.getViewSize()), rectText(CRect(0, 0, 524, 462)));
  EXPECT_EQ(bitmapOf(&frame), 128);
  int i = 0;
  for (const Row& row : kWindow) {
    expectRow(frame.getView(i), row, "window control " + std::to_string(i + 1));
    ++i;
  }
  for (const Row& row : kPresetBar) {
    expectRow(frame.getView(i), row, "preset bar tag " + std::to_string(row.tag));
    ++i;
  }
  // The controls the editor keeps are those the frame holds.
  const Editor::Controls& c = f.c();
  EXPECT_EQ(frame.getView(0), c.detectorOrder);
  EXPECT_EQ(frame.getView(9), c.attShow[0]);
  EXPECT_EQ(frame.getView(22), c.info);
  EXPECT_EQ(frame.getView(35), c.lcdGR);
  EXPECT_NE(dynamic_cast<MyFrame*>(&frame), nullptr);
}

// The knobs and buttons show the program as it was when the window opened, whatever it was.
TEST(EditorLayout, ControlsStartFromTheEffectsValues) {
  EditorFixture f(false);
  const std::pair<int, float> values[] = {
      {stellix::kDrive, 0.875f},    {stellix::kOutput, 0.25f}, {stellix::kLeveller, 0.5f},
      {stellix::kQuantize, 0.75f},  {stellix::kBits, 0.5f},    {stellix::kNoiseShape, 0.95f},
      {stellix::kMeterType, 0.25f}, {stellix::kScale, 0.1f},   {stellix::kAttZoom, 0.75f},
      {stellix::kAttShow, 0.3125f}, {stellix::kPower, 0.25f},  {stellix::kTransShape, 0.9f},
  };
  for (const auto& [index, v] : values) f.plugin->setParameter(index, v);
  f.open();
  const Editor::Controls& c = f.c();
  EXPECT_EQ(c.drive->getValue(), 0.875f);
  EXPECT_EQ(c.driveField->getText(), "+18.00dB");
  EXPECT_EQ(c.output->getValue(), 0.25f);
  EXPECT_EQ(c.outputField->getText(), "-9.00dB");
  EXPECT_EQ(c.levellerField->getText(), "-6.00dB");
  EXPECT_TRUE(c.bits->getQuantize());
  EXPECT_TRUE(c.noiseShape->getQuantize());
  EXPECT_TRUE(c.autoblack->getQuantize());
  EXPECT_EQ(c.bits->getIndex(), 2);
  EXPECT_EQ(c.noiseShape->getIndex(), 6);
  EXPECT_FALSE(c.meterMode->isKSystem());
  EXPECT_EQ(c.meterMode->getScaleIndex(), 0);
  EXPECT_EQ(c.meterIn->getMode(), 0);
  EXPECT_TRUE(c.meterGR->getZoom());
  // AttShow step 2: only "2" lit.
  EXPECT_EQ(c.attShow[0]->getValue(), 0.25f);
  EXPECT_EQ(c.attShow[1]->getValue(), 0.75f);
  EXPECT_EQ(c.attShow[2]->getValue(), 0.25f);
  EXPECT_EQ(c.power->getValue(), 0.25f);
  EXPECT_EQ(c.transShape->getIndex(), 2);
}

}  // namespace
