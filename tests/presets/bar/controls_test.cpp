// The preset bar's control classes on their own: which presses they take, the value and the
// picture they show, and the name field's edit box (its place, font and colours, the kept
// text, one field at a time, the conversion of the editor's value fields).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/parameters.h"
#include "tests/presets/bar/bar_fixture.h"
#include "toolkit/platform/common/generic_text_edit.h"

namespace presetbar_test {
namespace {

// Logs "changed <tag> <value>" with the value to two decimals, and the edit gestures.
class ListenerDouble : public CControlListener {
 public:
  explicit ListenerDouble(Log& log) : log_(log) {}
  void valueChanged(CControl* control) override {
    char text[64];
    std::snprintf(text, sizeof text, "changed %d %.2f", static_cast<int>(control->getTag()),
                  static_cast<double>(control->getValue()));
    log_.push_back(text);
  }
  void controlBeginEdit(CControl* control) override { log_.push_back("begin " + std::to_string(control->getTag())); }
  void controlEndEdit(CControl* control) override { log_.push_back("end " + std::to_string(control->getTag())); }

 private:
  Log& log_;
};

// A small window on the real background for one control at a time.
struct ControlFixture {
  Log log;
  ListenerDouble listener{log};
  HeadlessFrame host;

  ControlFixture() : host(makeFrame()) {}
  template <typename V>
  V* add(V* view) {
    host.frame().addView(view);
    host.idle();
    return view;
  }

 private:
  static std::unique_ptr<CFrame> makeFrame() {
    auto frame = std::make_unique<CFrame>(CRect(0, 0, 524, 462), nullptr);
    frame->setBackground(loadBitmap(128));
    return frame;
  }
};

const CRect kButtonRect(421, 447, 438, 462);
const CRect kDoubleRect(39, 447, 71, 460);
const CRect kRockerRect(340, 447, 370, 460);

TEST(PresetBarControls, KickButtonPresses) {
  using Step = std::function<void(HeadlessFrame&)>;
  const CPoint in = centre(kButtonRect);
  const struct {
    const char* what;
    bool doubleClickKind;
    Step press;
    Log log;
    float value;
    bool pressed;
  } cases[] = {
      {"left press", false, [&](HeadlessFrame& h) { h.mouseDown(in); }, {"changed 1017 1.00"}, 1.0f, true},
      {"right press is swallowed", false, [&](HeadlessFrame& h) { h.mouseDown(in, kRButton); }, {}, 0.0f, false},
      {"double-click kind: single press", true, [&](HeadlessFrame& h) { h.mouseDown(in); }, {}, 0.0f, false},
      {"double-click kind: double click",
       true,
       [&](HeadlessFrame& h) { h.mouseDown(in, kLButton | kDoubleClick); },
       {"changed 1017 1.00"},
       1.0f,
       true},
      {"double-click kind: with Control",
       true,
       [&](HeadlessFrame& h) { h.mouseDown(in, kLButton | kDoubleClick | kControl); },
       {"changed 1017 0.50"},
       0.5f,
       true},
      {"double-click kind: right double click",
       true,
       [&](HeadlessFrame& h) { h.mouseDown(in, kRButton | kDoubleClick); },
       {},
       0.0f,
       false},
      {"plain kind: Control changes nothing",
       false,
       [&](HeadlessFrame& h) { h.mouseDown(in, kLButton | kControl); },
       {"changed 1017 1.00"},
       1.0f,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ControlFixture f;
    auto* button =
        f.add(new CPSKickButton(kButtonRect, &f.listener, 1017, 15, loadBitmap(990), CPoint(0, 0), c.doubleClickKind));
    c.press(f.host);
    EXPECT_EQ(f.log, c.log);
    EXPECT_EQ(button->getValue(), c.value);
    EXPECT_EQ(button->isPressed(), c.pressed);
    f.host.mouseUp(in);
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_FALSE(button->isPressed());
    EXPECT_EQ(f.log, c.log) << "the release tells nobody";
  }
}

TEST(PresetBarControls, ButtonsLightUnderThePointer) {
  ControlFixture f;
  auto* kick = f.add(new CPSKickButton(kButtonRect, &f.listener, 1017, 15, loadBitmap(990)));
  auto* saveLoad = f.add(new CSaveLoadButton(CRect(166, 447, 183, 462), &f.listener, 1004, 15, loadBitmap(990)));
  f.host.mouseMove(centre(kButtonRect));
  EXPECT_TRUE(kick->isHovered());
  f.host.mouseMove(centre(saveLoad->getViewSize()));
  EXPECT_FALSE(kick->isHovered());
  EXPECT_TRUE(saveLoad->isHovered());
  f.host.mouseExit();
  EXPECT_FALSE(saveLoad->isHovered());
}

TEST(PresetBarControls, SaveLoadButtonTellsTheSideAndSpringsBack) {
  const struct {
    std::int32_t buttons;
    bool hasListener;
    const char* logged;  // null: not handled
  } cases[] = {
      {kLButton, true, "changed 1004 1.00"},
      {kRButton, true, "changed 1004 0.50"},
      {kRButton | kDoubleClick, true, "changed 1004 0.50"},
      {kRButton | kAlt, true, "changed 1004 1.00"},
      {kRButton | kControl, true, "changed 1004 1.00"},
      {kLButton | kRButton, true, "changed 1004 1.00"},
      {kMButton, true, nullptr},
      {kLButton, false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.buttons);
    ControlFixture f;
    const CRect r(166, 447, 183, 462);
    auto* button = f.add(new CSaveLoadButton(r, c.hasListener ? &f.listener : nullptr, 1004, 15, loadBitmap(990)));
    CPoint p = centre(r);
    const CMouseEventResult result = button->onMouseDown(p, c.buttons);
    EXPECT_EQ(f.log, c.logged ? Log{c.logged} : Log{});
    EXPECT_EQ(result, c.logged ? kMouseDownEventHandledButDontNeedMovedOrUpEvents : kMouseEventNotHandled);
    EXPECT_EQ(button->getValue(), 0.0f);
  }
}

TEST(PresetBarControls, RockerSidesAndHover) {
  const CPoint left(kRockerRect.left + 2, 453), right(kRockerRect.right - 2, 453);
  const CPoint middle(kRockerRect.left + 15, 453);  // the right half starts at the middle
  ControlFixture f;
  auto* rocker = f.add(new CPSRockerSwitch(kRockerRect, &f.listener, 1001, 13, loadBitmap(995)));
  const struct {
    const char* what;
    std::function<void(HeadlessFrame&)> step;
    float value;
    int hover;
    Log log;
  } steps[] = {
      {"enter on the left", [&](HeadlessFrame& h) { h.mouseMove(left); }, 0.0f, -1, {}},
      {"move to the middle", [&](HeadlessFrame& h) { h.mouseMove(middle); }, 0.0f, 1, {}},
      {"press on the left", [&](HeadlessFrame& h) { h.mouseDown(left); }, -1.0f, 1, {"changed 1001 -1.00"}},
      {"held moves change nothing", [&](HeadlessFrame& h) { h.mouseMove(right, kLButton); }, -1.0f, 1, {}},
      {"release", [&](HeadlessFrame& h) { h.mouseUp(right); }, 0.0f, 1, {}},
      {"right press is not taken", [&](HeadlessFrame& h) { h.mouseDown(left, kRButton); }, 0.0f, 1, {}},
      {"press on the right", [&](HeadlessFrame& h) { h.click(right); }, 0.0f, 1, {"changed 1001 1.00"}},
      {"leave", [&](HeadlessFrame& h) { h.mouseMove(CPoint(300, 300)); }, 0.0f, 0, {}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    f.log.clear();
    s.step(f.host);
    EXPECT_EQ(rocker->getValue(), s.value);
    EXPECT_EQ(rocker->getHoverSide(), s.hover);
    EXPECT_EQ(f.log, s.log);
  }
}

// A native box double: records what the field opened it with and reports like the platform's.
struct NativeBox : IPlatformTextEdit {
  std::string text;
  std::string getText() const override { return text; }
};
struct BoxRecorder {
  std::optional<TextEditParams> params;
  IPlatformTextEditCallback* callback = nullptr;
  NativeBox* box = nullptr;
  int opened = 0;
  void install(HeadlessPlatformFrame& platform) {
    platform.setNativeTextEdit([this](const TextEditParams& p, IPlatformTextEditCallback* cb) {
      params = p;
      callback = cb;
      auto made = std::make_unique<NativeBox>();
      made->text = p.text;
      box = made.get();
      ++opened;
      return made;
    });
  }
};

TEST(PresetBarNameField, BoxOverTheFieldInItsFontAndColours) {
  const struct {
    const char* what;
    CRect field;
    int fontSize;
    std::optional<CColor> editColor;
    CRect box;
    CColor boxColor;
    CHoriTxtAlign align;
  } cases[] = {
      {"program name", CRect(194, 447, 318, 461), 10, std::nullopt, CRect(194, 447, 318, 460), CColor(36, 36, 32),
       kCenterText},
      {"value field", CRect(43, 409, 117, 427), 10, std::nullopt, CRect(43, 411, 117, 424), CColor(36, 36, 32),
       kCenterText},
      {"edit-text colour", CRect(43, 409, 117, 427), 10, CColor(250, 10, 10), CRect(43, 411, 117, 424),
       CColor(250, 10, 10), kRightText},
      {"odd height, font 9", CRect(10, 100, 60, 115), 9, std::nullopt, CRect(10, 101, 60, 112), CColor(36, 36, 32),
       kLeftText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ControlFixture f;
    BoxRecorder boxes;
    boxes.install(f.host.platform());
    auto* field = f.add(new CKorvanTextEdit(c.field, &f.listener, 1000, "Loudness 2", loadBitmap(128)));
    field->setBackOffset(c.field.getTopLeft());
    field->setFont(std::make_shared<CFontDesc>("Arial", c.fontSize, kBoldFace));
    field->setFontColor(CColor(36, 36, 32));
    field->setHoriAlign(c.align);
    if (c.editColor) field->setEditTextColor(*c.editColor);
    f.host.click(centre(c.field));
    ASSERT_TRUE(boxes.params);
    const TextEditParams& p = *boxes.params;
    EXPECT_EQ(p.rect, c.box);
    EXPECT_EQ(field->editBoxRect(), c.box);
    EXPECT_EQ(p.text, "Loudness 2");
    EXPECT_EQ(p.font.getName(), "Arial");
    EXPECT_EQ(p.font.getSize(), c.fontSize);
    EXPECT_EQ(p.font.getStyle(), kNormalFace);
    EXPECT_EQ(p.fontColor, c.boxColor);
    EXPECT_EQ(p.align, c.align);
    EXPECT_EQ(p.maxChars, 255);
    EXPECT_EQ(p.background.width, c.box.getWidth());
    EXPECT_EQ(p.background.height, c.box.getHeight());
    EXPECT_TRUE(f.log.empty());
  }
}

TEST(PresetBarNameField, TheBoxReportsAsThePlatformDoes) {
  using Report = std::function<void(IPlatformTextEditCallback*)>;
  const std::string thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
  const struct {
    const char* what;
    Report finish;
    const char* label;
    Log log;
  } cases[] = {
      {"commit",
       [&](IPlatformTextEditCallback* cb) { cb->platformTextCommit(thirty); },
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ123",
       {"begin 1000", "changed 1000 0.00", "end 1000"}},
      {"commit of multi-byte text",
       [&](IPlatformTextEditCallback* cb) { cb->platformTextCommit(std::string(30, 'x') + "\xC3\xA9"); },
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
       {"begin 1000", "changed 1000 0.00", "end 1000"}},
      {"cancel", [&](IPlatformTextEditCallback* cb) { cb->platformTextCancel(); }, "Loudness 2", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ControlFixture f;
    BoxRecorder boxes;
    boxes.install(f.host.platform());
    auto* field = f.add(new CKorvanTextEdit(CRect(194, 447, 318, 461), &f.listener, 1000, "Loudness 2"));
    f.host.click(CPoint(250, 454));
    ASSERT_NE(boxes.callback, nullptr);
    EXPECT_EQ(CKorvanTextEdit::editingField(), field);
    boxes.callback->platformTextChanged(thirty + "more");
    EXPECT_EQ(field->getText(), thirty.substr(0, 29)) << "typing fills the label, cut";
    EXPECT_TRUE(f.log.empty());
    c.finish(boxes.callback);
    EXPECT_EQ(field->getText(), c.label);
    EXPECT_EQ(f.log, c.log);
    EXPECT_FALSE(field->isTextEditing());
    EXPECT_EQ(CKorvanTextEdit::editingField(), nullptr);
  }
}

TEST(PresetBarNameField, OneFieldEditsAtATime) {
  ControlFixture f;
  BoxRecorder boxes;
  boxes.install(f.host.platform());
  auto* a = f.add(new CKorvanTextEdit(CRect(43, 409, 117, 427), &f.listener, 1, "first"));
  auto* b = f.add(new CKorvanTextEdit(CRect(410, 409, 484, 427), &f.listener, 0, "second"));
  a->startEdit();
  boxes.box->text = "typed";
  EXPECT_TRUE(b->startEdit());
  EXPECT_FALSE(a->isTextEditing()) << "the first box commits as on a loss of focus";
  EXPECT_EQ(a->getText(), "typed");
  EXPECT_TRUE(b->isTextEditing());
  EXPECT_EQ(CKorvanTextEdit::editingField(), b);
  EXPECT_EQ(f.log, (Log{"begin 1", "changed 1 0.00", "end 1"}));
  EXPECT_EQ(boxes.opened, 2);
}

TEST(PresetBarNameField, OneFieldAcrossWindows) {
  // Two instances, each with its window: the second field's box closes the first one's.
  BarFixture one(1), two(2);
  one.click(1000);
  ASSERT_TRUE(one.editor->nameField()->isTextEditing());
  one.host->type("From one");
  two.click(1000);
  EXPECT_FALSE(one.editor->nameField()->isTextEditing());
  EXPECT_EQ(one.programName(1), "From one");
  EXPECT_TRUE(two.editor->nameField()->isTextEditing());
  EXPECT_EQ(CKorvanTextEdit::editingField(), two.editor->nameField());
  two.host->key(VirtualKey::Escape);
}

TEST(PresetBarNameField, ClosingTheWindowWhileEditingCommitsNothing) {
  BarFixture f(6);
  f.click(1000);
  f.host->type("Lost");
  f.close();
  EXPECT_EQ(CKorvanTextEdit::editingField(), nullptr);
  EXPECT_EQ(f.programName(6), "Loudness 2");
}

TEST(PresetBarNameField, ValueFieldConvertsItsText) {
  // The window's Drive field: text to value through the parameter table, as one gesture.
  ControlFixture f;
  auto* drive = f.add(new CKorvanTextEdit(CRect(43, 409, 117, 427), &f.listener, 1, "+0.00dB", loadBitmap(128)));
  drive->setStringToValueFunction([](const std::string& text, float& value) {
    const auto v = stellix::editorTextToValue(1, text.c_str());
    if (v) value = *v;
    return v.has_value();
  });
  drive->setValueToStringFunction([](float value, std::string& text) {
    text = stellix::editorText(1, value);
    return true;
  });
  drive->setValue(0.5f);
  for (const char* typed : {"+6", "not a number"}) {
    SCOPED_TRACE(typed);
    f.log.clear();
    const float before = drive->getValue();
    f.host.click(centre(drive->getViewSize()));
    f.host.type(typed);
    f.host.key(VirtualKey::Return);
    ASSERT_EQ(f.log.size(), 3u);
    EXPECT_EQ(f.log.front(), "begin 1");
    EXPECT_EQ(f.log.back(), "end 1");
    float expected = before;
    if (const auto v = stellix::editorTextToValue(1, typed)) expected = *v;
    EXPECT_EQ(drive->getValue(), expected);
    EXPECT_EQ(drive->getText(), stellix::editorText(1, drive->getValue())) << "the label shows the value's text";
  }
}

}  // namespace
}  // namespace presetbar_test
