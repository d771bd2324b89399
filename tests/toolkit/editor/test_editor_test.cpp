// The test plug-in's editor, opened headless: its renders against the committed pictures,
// and the user's gestures reaching the host as begin edit, automation and end edit.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/golden.h"
#include "tests/toolkit/testplugin/test_plugin.h"
#include "toolkit/controls/canimknob.h"
#include "toolkit/controls/ckickbutton.h"
#include "toolkit/controls/coptionmenu.h"
#include "toolkit/controls/ctextedit.h"
#include "toolkit/platform/common/generic_option_menu.h"
#include "toolkit/platform/headless/headless_frame.h"

namespace {

using toolkit_test::TestEditor;
using toolkit_test::TestEffect;

struct Call {
  VstInt32 opcode;
  VstInt32 index;
  float value;
  bool operator==(const Call&) const = default;
};

std::vector<Call> gCalls;

VstIntPtr VST_CALL hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
  if (opcode == audioMasterVersion) return 2400;
  if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
    gCalls.push_back({opcode, index, opcode == audioMasterAutomate ? opt : 0.0f});
  return 0;
}

Call begin(VstInt32 i) { return {audioMasterBeginEdit, i, 0.0f}; }
Call end(VstInt32 i) { return {audioMasterEndEdit, i, 0.0f}; }
Call automate(VstInt32 i, float v) { return {audioMasterAutomate, i, v}; }

void expectGolden(const HeadlessFrame& frame, const std::string& name) {
  stellix::testing::expectGolden(frame.pixels(), STELLIX_GOLDEN_DIR, name);
}

class TestEditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    gCalls.clear();
    effect_ = std::make_unique<TestEffect>(hostCallback);
    ASSERT_EQ(effect_->dispatcher(effEditOpen, 0, 0, nullptr, 0.0f), 1);
    editor_ = effect_->testEditor();
    frame_ = std::make_unique<HeadlessFrame>(*editor_->getFrame());
    frame_->idle();
  }
  void TearDown() override {
    frame_.reset();
    effect_->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
  }
  // Centre of a control.
  static CPoint centre(const CView* view) {
    const CRect& r = view->getViewSize();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  HeadlessPlatformScope headless_;
  std::unique_ptr<TestEffect> effect_;
  TestEditor* editor_ = nullptr;
  std::unique_ptr<HeadlessFrame> frame_;
};

TEST_F(TestEditorFixture, RendersMatchTheCommittedPictures) {
  expectGolden(*frame_, "open");

  effect_->setParameter(toolkit_test::kLevel, 0.0f);
  frame_->idle();
  expectGolden(*frame_, "level-0");
  effect_->setParameter(toolkit_test::kLevel, 1.0f);
  frame_->idle();
  expectGolden(*frame_, "level-1");

  frame_->mouseDown(centre(editor_->button()));
  frame_->idle();
  expectGolden(*frame_, "button-pressed");
  frame_->mouseUp(centre(editor_->button()));

  frame_->click(centre(editor_->menu()));
  frame_->idle();
  ASSERT_TRUE(editor_->menu()->isPopupOpen());
  const CRect hovered = editor_->menu()->getGenericMenu()->entryRect(13);
  frame_->mouseMove(CPoint((hovered.left + hovered.right) / 2, (hovered.top + hovered.bottom) / 2));
  frame_->idle();
  expectGolden(*frame_, "menu-open");
  frame_->key(VirtualKey::Escape);
  frame_->idle();

  frame_->click(centre(editor_->field()));
  frame_->type("-3.5");
  frame_->idle();
  expectGolden(*frame_, "field-editing");
  frame_->key(VirtualKey::Return);
  frame_->idle();
  expectGolden(*frame_, "field-committed");
}

TEST_F(TestEditorFixture, KnobDragIsOneGestureForTheHost) {
  const CPoint from = centre(editor_->knob());
  frame_->drag(from, CPoint(from.x, from.y - 40), kLButton, 4);
  ASSERT_GE(gCalls.size(), 3u);
  EXPECT_EQ(gCalls.front(), begin(toolkit_test::kLevel));
  EXPECT_EQ(gCalls.back(), end(toolkit_test::kLevel));
  for (std::size_t i = 1; i + 1 < gCalls.size(); ++i) {
    EXPECT_EQ(gCalls[i].opcode, audioMasterAutomate);
    EXPECT_EQ(gCalls[i].index, toolkit_test::kLevel);
  }
  EXPECT_GT(effect_->getParameter(toolkit_test::kLevel), 0.5f);
  // The text field follows the knob through the effect.
  EXPECT_EQ(editor_->field()->getText(), toolkit_test::levelText(effect_->getParameter(toolkit_test::kLevel)));
}

TEST_F(TestEditorFixture, ControlClickOnTheKnobRestoresItsDefault) {
  effect_->setParameter(toolkit_test::kLevel, 0.9f);
  frame_->click(centre(editor_->knob()), CButtonState(kLButton | kControl));
  EXPECT_EQ(effect_->getParameter(toolkit_test::kLevel), 0.5f);
  ASSERT_FALSE(gCalls.empty());
  EXPECT_EQ(gCalls.front(), begin(toolkit_test::kLevel));
  EXPECT_EQ(gCalls.back(), end(toolkit_test::kLevel));
  EXPECT_NE(std::find(gCalls.begin(), gCalls.end(), automate(toolkit_test::kLevel, 0.5f)), gCalls.end());
}

TEST_F(TestEditorFixture, MenuChoiceAutomatesTheChoice) {
  frame_->click(centre(editor_->menu()));
  GenericOptionMenu* menu = editor_->menu()->getGenericMenu();
  ASSERT_NE(menu, nullptr);
  frame_->idle();
  // Entry 13 is the second entry of the second column.
  const CRect entry = menu->entryRect(13);
  frame_->click(CPoint((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2));
  EXPECT_FALSE(editor_->menu()->isPopupOpen());
  EXPECT_EQ(editor_->menu()->getCurrent(), 13);
  EXPECT_NE(std::find(gCalls.begin(), gCalls.end(), automate(toolkit_test::kChoice, toolkit_test::choiceValue(13))),
            gCalls.end());
}

TEST_F(TestEditorFixture, TextFieldCommitsOnEnterAndCancelsOnEscape) {
  struct Case {
    const char* typed;
    VirtualKey key;
    float expected;  // level after the key
    bool automated;
  };
  const Case cases[] = {
      {"+6", VirtualKey::Return, 0.75f, true},
      {"-12", VirtualKey::Tab, 0.0f, true},
      {"+12", VirtualKey::Escape, 0.0f, false},   // the previous value stays
      {"loud", VirtualKey::Return, 0.0f, true},   // no number: the value stays, re-sent as it is
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    gCalls.clear();
    frame_->click(centre(editor_->field()));
    frame_->type(c.typed);
    frame_->key(c.key);
    EXPECT_EQ(effect_->getParameter(toolkit_test::kLevel), c.expected);
    const bool automated = std::find_if(gCalls.begin(), gCalls.end(), [](const Call& call) {
                             return call.opcode == audioMasterAutomate;
                           }) != gCalls.end();
    EXPECT_EQ(automated, c.automated);
    EXPECT_EQ(editor_->field()->getText(), toolkit_test::levelText(c.expected));
  }
}

}  // namespace
