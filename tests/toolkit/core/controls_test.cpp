// The stock controls: edit gestures, default value, knob drag and wheel, picture selection,
// and the editor base that passes gestures to the host.
#include <gtest/gtest.h>

#include <functional>

#include "toolkit/controls/canimknob.h"
#include "toolkit/controls/ckickbutton.h"
#include "toolkit/controls/cknob.h"
#include "toolkit/controls/crockerswitch.h"
#include "toolkit_doubles.h"
#include "vst2/aeffguieditor.h"
#include "vst2/audioeffect.h"

using namespace toolkit_test;

namespace {

struct ControlFixture : FrameFixture {
  CKnob* knob = add(new CKnob(CRect(10, 10, 50, 50), &listener, 3, nullptr));
  CKickButton* kick = add(new CKickButton(CRect(60, 10, 80, 30), &listener, 4, 20, nullptr));
  CRockerSwitch* rocker = add(new CRockerSwitch(CRect(100, 10, 140, 30), &listener, 5, 20, nullptr));
  ControlFixture() {
    knob->setValue(0.5f);
    knob->setDefaultValue(0.2f);
  }
};

TEST(ControlGestures, EveryGestureIsBracketedByBeginAndEndEdit) {
  const struct {
    const char* name;
    std::function<void(ControlFixture&)> act;
    Log expected;
  } cases[] = {
      {"knob drag",
       [](ControlFixture& f) { f.host.drag(CPoint(30, 30), CPoint(30, 10), kLButton, 2); },
       {"begin 3", "changed 3 0.55", "changed 3 0.60", "end 3"}},
      {"knob drag that goes nowhere",
       [](ControlFixture& f) { f.host.drag(CPoint(30, 30), CPoint(30, 30)); },
       {"begin 3", "end 3"}},
      {"knob Control-click",
       [](ControlFixture& f) { f.host.click(CPoint(30, 30), kLButton | kControl); },
       {"begin 3", "changed 3 0.20", "end 3"}},
      {"knob double click",
       [](ControlFixture& f) {
         f.host.click(CPoint(30, 30));
         f.host.click(CPoint(30, 30), kLButton | kDoubleClick);
       },
       {"begin 3", "end 3", "begin 3", "changed 3 0.20", "end 3"}},
      {"knob wheel",
       [](ControlFixture& f) { f.host.wheel(CPoint(30, 30), 1.0f); },
       {"begin 3", "changed 3 0.60", "end 3"}},
      {"kick button click",
       [](ControlFixture& f) { f.host.click(CPoint(70, 20)); },
       {"begin 4", "changed 4 1.00", "changed 4 0.00", "end 4"}},
      {"kick button released outside",
       [](ControlFixture& f) { f.host.drag(CPoint(70, 20), CPoint(190, 90)); },
       {"begin 4", "changed 4 1.00", "changed 4 0.00", "end 4"}},
      {"rocker left half",
       [](ControlFixture& f) { f.host.click(CPoint(105, 20)); },
       {"begin 5", "changed 5 -1.00", "changed 5 0.00", "end 5"}},
      {"right button on any of them",
       [](ControlFixture& f) {
         for (const CPoint p : {CPoint(30, 30), CPoint(70, 20), CPoint(105, 20)}) f.host.click(p, kRButton);
       },
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ControlFixture f;
    c.act(f);
    EXPECT_EQ(f.log, c.expected);
    EXPECT_FALSE(f.knob->isEditing() || f.kick->isEditing() || f.rocker->isEditing());
  }
}

TEST(ControlGestures, OnlyControlWithTheLeftButtonSetsTheDefault) {
  const struct {
    std::int32_t buttons;
    bool setsDefault;
  } cases[] = {
      {kLButton | kControl, true},           {kLButton | kControl | kDoubleClick, true},
      {kLButton | kControl | kShift, false}, {kLButton | kControl | kAlt, false},
      {kRButton | kControl, false},          {kLButton, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.buttons);
    ControlFixture f;
    EXPECT_EQ(f.knob->checkDefaultValue(c.buttons), c.setsDefault);
    EXPECT_FLOAT_EQ(f.knob->getValue(), c.setsDefault ? 0.2f : 0.5f);
  }
}

TEST(ControlGestures, AControlRemovedDuringADragEndsTheGesture) {
  ControlFixture f;
  f.host.mouseDown(CPoint(30, 30));
  f.frame().removeView(f.knob);
  f.host.mouseUp(CPoint(30, 30));
  EXPECT_EQ(f.log, (Log{"begin 3", "end 3"}));
}

TEST(Knob, DragIsLinearUpAndRightWithAFineScaleUnderShift) {
  using Moves = std::vector<std::pair<CPoint, std::int32_t>>;  // after a press at (30, 30)
  const struct {
    const char* name;
    Moves moves;
    float expected;
  } cases[] = {
      {"up 100 of 200", {{{30, -70}, kLButton}}, 0.75f},
      {"right 50", {{{80, 30}, kLButton}}, 0.5f},
      {"up and left cancel", {{{-20, -20}, kLButton}}, 0.25f},
      {"down past the end stops at the minimum", {{{30, 500}, kLButton}}, 0.0f},
      {"Shift: a tenth as far", {{{30, -70}, kLButton | kShift}}, 0.3f},
      {"Shift pressed midway: no jump",
       {{{30, -10}, kLButton}, {{30, -10}, kLButton | kShift}, {{30, -50}, kLButton | kShift}},
       0.47f},
      {"Shift released midway: no jump",
       {{{30, 10}, kLButton | kShift}, {{30, 10}, kLButton}, {{30, -10}, kLButton}},
       0.36f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ControlFixture f;
    f.knob->setValue(0.25f);
    f.host.mouseDown(CPoint(30, 30), c.moves.front().second);
    for (const auto& [p, buttons] : c.moves) f.host.mouseMove(p, buttons);
    f.host.mouseUp(c.moves.back().first);
    EXPECT_NEAR(f.knob->getValue(), c.expected, 1e-6f);
  }
}

TEST(Knob, WheelStepsAndStopsAtTheEnds) {
  const struct {
    float start;
    float distance;
    std::int32_t buttons;
    float expected;
    bool told;
  } cases[] = {
      {0.5f, 1.0f, 0, 0.6f, true},  {0.5f, -2.0f, 0, 0.3f, true}, {0.5f, 1.0f, kShift, 0.51f, true},
      {0.95f, 1.0f, 0, 1.0f, true}, {1.0f, 1.0f, 0, 1.0f, false}, {0.0f, -1.0f, 0, 0.0f, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " " << c.distance << " " << c.buttons);
    ControlFixture f;
    f.knob->setValue(c.start);
    f.host.wheel(CPoint(30, 30), c.distance, c.buttons);
    EXPECT_NEAR(f.knob->getValue(), c.expected, 1e-6f);
    EXPECT_EQ(!f.log.empty(), c.told);
  }
}

TEST(AnimKnob, ShowsPictureTruncOfValueTimesLastIndex) {
  const struct {
    float value;
    int picture;
  } cases[] = {{0.0f, 0}, {0.5f, 50}, {0.999f, 99}, {1.0f, 100}, {-0.5f, 0}, {1.5f, 100}, {0.0099f, 0}, {0.01f, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    FrameFixture f;
    const SharedBitmap strip = patternBitmap(20, 101 * 10);
    auto* knob = f.add(new CAnimKnob(CRect(5, 5, 25, 15), nullptr, 0, 101, 10, strip));
    knob->setValue(c.value);
    EXPECT_EQ(knob->currentPicture(), c.picture);
    f.host.idle();
    EXPECT_EQ(pixel(f.pixels(), 5 + 3, 5 + 7), pixel(strip->pixels(), 3, c.picture * 10 + 7));
  }
}

TEST(AnimKnob, CountsItsPicturesFromTheBitmapWhenNotGiven) {
  CAnimKnob knob(CRect(0, 0, 20, 10), nullptr, 0, 0, 10, patternBitmap(20, 70));
  EXPECT_EQ(knob.getNumSubPixmaps(), 7);
}

TEST(RockerSwitch, TheHalfUnderThePointerGivesTheDirection) {
  const struct {
    CRockerSwitch::Style style;
    CPoint where;
    const char* told;
  } cases[] = {
      {CRockerSwitch::kHorizontal, {100, 20}, "changed 5 -1.00"},
      {CRockerSwitch::kHorizontal, {119, 20}, "changed 5 -1.00"},
      {CRockerSwitch::kHorizontal, {120, 20}, "changed 5 1.00"},
      {CRockerSwitch::kHorizontal, {139, 20}, "changed 5 1.00"},
      {CRockerSwitch::kVertical, {120, 10}, "changed 5 1.00"},
      {CRockerSwitch::kVertical, {120, 29}, "changed 5 -1.00"},
  };
  for (const auto& c : cases) {
    FrameFixture f;
    f.add(new CRockerSwitch(CRect(100, 10, 140, 30), &f.listener, 5, 20, nullptr, CPoint(), c.style));
    f.host.mouseDown(c.where);
    ASSERT_EQ(f.log.size(), 2u);
    EXPECT_EQ(f.log[1], c.told);
  }
}

TEST(RockerSwitch, DrawsOnePictureForEachPosition) {
  const SharedBitmap strip = patternBitmap(40, 60);
  for (const auto& [value, picture] : {std::pair{-1.0f, 0}, {0.0f, 1}, {1.0f, 2}}) {
    FrameFixture f;
    auto* rocker = f.add(new CRockerSwitch(CRect(0, 0, 40, 20), nullptr, 0, 20, strip));
    rocker->setValue(value);
    f.host.idle();
    EXPECT_EQ(pixel(f.pixels(), 4, 4), pixel(strip->pixels(), 4, picture * 20 + 4));
  }
}

// ---- the editor base

std::vector<std::pair<VstInt32, VstInt32>> hostCalls;

VstIntPtr VST_CALL recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
  if (opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit) hostCalls.emplace_back(opcode, index);
  return 0;
}

class ThreeParameterEffect : public AudioEffect {
 public:
  ThreeParameterEffect() : AudioEffect(recordingHost, 1, 3) {}
  void processReplacing(float**, float**, VstInt32) override {}
};

class TestEditor : public AEffGUIEditor {
 public:
  using AEffGUIEditor::AEffGUIEditor;
  bool open(void* parent) override {
    AEffGUIEditor::open(parent);
    frame = std::make_unique<CFrame>(CRect(0, 0, 100, 50), this);
    return frame->open(parent);
  }
};

TEST(GuiEditor, OnlyParameterIndicesReachTheHost) {
  hostCalls.clear();
  ThreeParameterEffect effect;
  auto* editor = new TestEditor(&effect);  // the effect owns its editor
  for (const VstInt32 index : {-1, 0, 2, 3, 1000}) {
    editor->beginEdit(index);
    editor->endEdit(index);
  }
  using Call = std::pair<VstInt32, VstInt32>;
  EXPECT_EQ(
      hostCalls,
      (std::vector<Call>{
          {audioMasterBeginEdit, 0}, {audioMasterEndEdit, 0}, {audioMasterBeginEdit, 2}, {audioMasterEndEdit, 2}}));
}

TEST(GuiEditor, AKnobDragInItsFrameReachesTheHostAndCloseDestroysTheViews) {
  hostCalls.clear();
  HeadlessPlatformScope headless;
  ThreeParameterEffect effect;
  auto& editor = *new TestEditor(&effect);  // the effect owns its editor
  ASSERT_TRUE(editor.open(nullptr));
  EXPECT_EQ(headless.opened(), 1);
  struct Knob : CKnob {
    bool* destroyed;
    Knob(bool* d) : CKnob(CRect(0, 0, 40, 40), nullptr, 1, nullptr), destroyed(d) {}
    ~Knob() override { *destroyed = true; }
  };
  bool destroyed = false;
  editor.getFrame()->addView(new Knob(&destroyed));
  HeadlessFrame host(*editor.getFrame());
  EXPECT_EQ(&host.platform(), headless.last());
  host.drag(CPoint(20, 20), CPoint(20, 0));
  using Call = std::pair<VstInt32, VstInt32>;
  EXPECT_EQ(hostCalls, (std::vector<Call>{{audioMasterBeginEdit, 1}, {audioMasterEndEdit, 1}}));
  // The host's idle draws what changed.
  headless.last()->clearInvalidatedRects();
  editor.idle();
  EXPECT_FALSE(headless.last()->invalidatedRects().empty());
  editor.close();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(editor.getFrame(), nullptr);
  editor.idle();
}

}  // namespace
