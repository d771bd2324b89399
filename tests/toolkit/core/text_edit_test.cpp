// In-place text editing: the toolkit's own box (keys, UTF-8, commit and cancel) and the
// native one through the platform frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "toolkit/controls/ctextedit.h"
#include "toolkit/platform/common/generic_text_edit.h"
#include "toolkit_doubles.h"

using namespace toolkit_test;

namespace {

const CColor kBack(209, 227, 238);

struct EditFixture : FrameFixture {
  CTextEdit* field;

  explicit EditFixture(std::string text = "Loudness 2") {
    field = add(new CTextEdit(CRect(20, 20, 120, 36), &listener, 6, std::move(text)));
    field->setBackColor(kBack);
    field->setFontColor(CColor(36, 36, 32));
    host.idle();
  }
  GenericTextEditView* box() { return dynamic_cast<GenericTextEditView*>(frame().getFocusView()); }
  void startEditing() { host.click(CPoint(30, 28)); }
  bool closed() {
    return !field->isTextEditing() && frame().getNbViews() == 1 && frame().getFocusView() == nullptr &&
           !host.platform().hasKeyboardFocus();
  }
};

TEST(TextEdit, TheToolkitsBoxCommits) {
  const struct {
    const char* name;
    std::function<void(EditFixture&)> commit;
  } cases[] = {
      {"Enter", [](EditFixture& f) { f.host.key(VirtualKey::Return); }},
      {"Tab", [](EditFixture& f) { f.host.key(VirtualKey::Tab); }},
      {"Shift-Tab", [](EditFixture& f) { f.host.key(VirtualKey::Tab, kShift); }},
      {"the window loses the focus", [](EditFixture& f) { f.host.focusLost(); }},
      {"a press elsewhere", [](EditFixture& f) { f.host.click(CPoint(150, 80)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EditFixture f;
    f.startEditing();
    ASSERT_NE(f.box(), nullptr);
    EXPECT_TRUE(f.host.platform().hasKeyboardFocus());
    EXPECT_EQ(f.box()->getViewSize(), CRect(20, 20, 120, 36));
    // The whole text starts selected: typing replaces it.
    f.host.type("Club");
    EXPECT_TRUE(f.log.empty());
    c.commit(f);
    EXPECT_EQ(f.field->getText(), "Club");
    EXPECT_EQ(f.log, (Log{"begin 6", "changed 6 0.00", "end 6"}));
    EXPECT_TRUE(f.closed());
  }
}

TEST(TextEdit, EscapeCancelsAndTellsNobody) {
  EditFixture f;
  f.startEditing();
  f.host.type("Club");
  f.host.key(VirtualKey::Escape);
  EXPECT_EQ(f.field->getText(), "Loudness 2");
  EXPECT_TRUE(f.log.empty());
  EXPECT_TRUE(f.closed());
  // The label is drawn as before.
  f.host.idle();
  const PixelBuffer shown = f.pixels();
  f.frame().redrawAll();
  EXPECT_TRUE(shown.pixels == f.pixels().pixels);
}

TEST(TextEdit, EditingKeys) {
  using Step = std::function<void(HeadlessFrame&)>;
  const auto keys = [](std::vector<std::pair<VirtualKey, std::int32_t>> list) {
    return Step([list](HeadlessFrame& h) {
      for (const auto& [k, m] : list) h.key(k, m);
    });
  };
  const auto text = [](std::string s) { return Step([s](HeadlessFrame& h) { h.type(s); }); };
  const struct {
    const char* name;
    std::string start;
    std::vector<Step> steps;
    std::string expected;
  } cases[] = {
      {"typing replaces the selection", "abc", {text("x")}, "x"},
      {"End then type appends", "abc", {keys({{VirtualKey::End, 0}}), text("d")}, "abcd"},
      {"Home then Delete", "abc", {keys({{VirtualKey::Home, 0}, {VirtualKey::Delete, 0}})}, "bc"},
      {"Left twice from the end, Backspace",
       "abc",
       {keys({{VirtualKey::End, 0}, {VirtualKey::Left, 0}, {VirtualKey::Left, 0}, {VirtualKey::Back, 0}})},
       "bc"},
      {"Right collapses the selection to its end",
       "abc",
       {keys({{VirtualKey::Right, 0}, {VirtualKey::Back, 0}})},
       "ab"},
      {"Left collapses it to its start", "abc", {keys({{VirtualKey::Left, 0}}), text("z")}, "zabc"},
      {"Backspace on the selection clears it", "abc", {keys({{VirtualKey::Back, 0}})}, ""},
      {"Shift-Home selects back to the start",
       "abc",
       {keys({{VirtualKey::End, 0}, {VirtualKey::Left, 0}, {VirtualKey::Home, kShift}}), text("q")},
       "qc"},
      {"Shift-Right extends", "abc", {keys({{VirtualKey::Home, 0}, {VirtualKey::Right, kShift}}), text("A")}, "Abc"},
      {"Control-A selects all again",
       "abc",
       {keys({{VirtualKey::End, 0}}), Step([](HeadlessFrame& h) {
          h.key(CKeyEvent{U'a', VirtualKey::None, kControl});
        }),
        text("n")},
       "n"},
      {"Backspace at the start does nothing", "abc", {keys({{VirtualKey::Home, 0}, {VirtualKey::Back, 0}})}, "abc"},
      {"Delete at the end does nothing", "abc", {keys({{VirtualKey::End, 0}, {VirtualKey::Delete, 0}})}, "abc"},
      {"control characters are no text", "abc", {keys({{VirtualKey::End, 0}}), text("\x01\x7f")}, "abc"},
      // Multi-byte characters go as a whole.
      {"Backspace over a 4-byte character", "", {text("é€😀"), keys({{VirtualKey::Back, 0}})}, "é€"},
      {"Backspace over a 3-byte character",
       "",
       {text("é€😀"), keys({{VirtualKey::Left, 0}, {VirtualKey::Back, 0}})},
       "é😀"},
      {"Delete of a 2-byte character", "", {text("é€😀"), keys({{VirtualKey::Home, 0}, {VirtualKey::Delete, 0}})}, "€😀"},
      {"Left and Right step over whole characters",
       "a😀b",
       {keys({{VirtualKey::End, 0}, {VirtualKey::Left, 0}, {VirtualKey::Left, 0}, {VirtualKey::Delete, 0}})},
       "ab"},
      {"typing in the middle of multi-byte text",
       "ñü",
       {keys({{VirtualKey::Home, 0}, {VirtualKey::Right, 0}}), text("€")},
       "ñ€ü"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EditFixture f(c.start);
    f.startEditing();
    for (const Step& step : c.steps) step(f.host);
    ASSERT_NE(f.box(), nullptr);
    EXPECT_EQ(f.box()->getText(), c.expected);
    f.host.key(VirtualKey::Return);
    EXPECT_EQ(f.field->getText(), c.expected);
  }
}

TEST(TextEdit, TheBoxTakesAtMostMaxCharsCodePoints) {
  const struct {
    const char* start;
    const char* typed;
    const char* expected;
  } cases[] = {
      {"", "abcdef", "abc"},
      {"", "ééééé", "ééé"},
      {"", "ab😀😀", "ab😀"},
      {"toolong", "", "too"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    EditFixture f(c.start);
    f.field->setMaxChars(3);
    f.startEditing();
    if (*c.typed) f.host.key(VirtualKey::End);
    f.host.type(c.typed);
    EXPECT_EQ(f.box()->getText(), c.expected);
  }
}

TEST(TextEdit, TheTextToValueFunctionSetsTheValueInTheGesture) {
  const struct {
    const char* typed;
    float value;
    const char* shown;
  } cases[] = {{"0.25", 0.25f, "v=0.25"}, {"junk", 0.5f, "v=0.50"}, {"7", 1.0f, "v=1.00"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    EditFixture f;
    f.field->setValueToStringFunction([](float v, std::string& text) {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "v=%.2f", static_cast<double>(v));
      text = buffer;
      return true;
    });
    f.field->setStringToValueFunction([](const std::string& text, float& v) {
      char* end = nullptr;
      v = std::strtof(text.c_str(), &end);
      return end != text.c_str();
    });
    f.field->setValue(0.5f);
    EXPECT_EQ(f.field->getText(), "v=0.50");
    f.startEditing();
    f.host.type(c.typed);
    f.host.key(VirtualKey::Return);
    EXPECT_FLOAT_EQ(f.field->getValue(), c.value);
    EXPECT_EQ(f.field->getText(), c.shown);
    ASSERT_EQ(f.log.size(), 3u);
    EXPECT_EQ(f.log[0], "begin 6");
    EXPECT_EQ(f.log[2], "end 6");
  }
}

TEST(TextEdit, EverySetValueReplacesTheTextOfALabelWithAConversion) {
  CTextLabel label(CRect(0, 0, 10, 10), "initial");
  label.setValue(0.0f);
  EXPECT_EQ(label.getText(), "initial");  // no conversion: the text stays
  label.setValueToStringFunction([](float v, std::string& text) {
    text = std::to_string(static_cast<int>(v * 100));
    return true;
  });
  label.setValue(0.0f);  // the same value still replaces the first text
  EXPECT_EQ(label.getText(), "0");
  label.setText("typed");
  label.setValue(0.3f);
  EXPECT_EQ(label.getText(), "30");
}

TEST(TextEdit, TheBoxShowsTheLabelWithoutItsText) {
  EditFixture f;
  TextEditParams seen;
  f.host.platform().setNativeTextEdit([&](const TextEditParams& params, IPlatformTextEditCallback*) {
    seen = params;
    return nullptr;  // no native box after all: the toolkit's own opens
  });
  f.startEditing();
  ASSERT_NE(f.box(), nullptr);
  EXPECT_EQ(seen.rect, CRect(20, 20, 120, 36));
  EXPECT_EQ(seen.text, "Loudness 2");
  EXPECT_EQ(seen.font.getSize(), 10);
  EXPECT_EQ(seen.maxChars, 255);
  ASSERT_EQ(seen.background.width, 100);
  ASSERT_EQ(seen.background.height, 16);
  // Inside the outline only the back colour: the label's text is not drawn while editing.
  for (int y = 1; y < 15; ++y)
    for (int x = 1; x < 99; ++x) ASSERT_EQ(pixel(seen.background, x, y), argb(kBack)) << x << "," << y;
}

class NativeBox : public IPlatformTextEdit {
 public:
  explicit NativeBox(bool* destroyed) : destroyed_(destroyed) {}
  ~NativeBox() override { *destroyed_ = true; }
  std::string getText() const override { return "typing"; }

 private:
  bool* destroyed_;
};

TEST(TextEdit, ANativeBoxReportsThroughTheCallback) {
  for (const bool commit : {true, false}) {
    SCOPED_TRACE(commit);
    EditFixture f;
    IPlatformTextEditCallback* callback = nullptr;
    bool destroyed = false;
    f.host.platform().setNativeTextEdit([&](const TextEditParams&, IPlatformTextEditCallback* cb) {
      callback = cb;
      return std::make_unique<NativeBox>(&destroyed);
    });
    f.startEditing();
    ASSERT_NE(callback, nullptr);
    EXPECT_EQ(f.box(), nullptr);
    EXPECT_EQ(f.field->getEditText(), "typing");
    callback->platformTextChanged("Nat");
    EXPECT_TRUE(f.log.empty());
    if (commit)
      callback->platformTextCommit("Native");
    else
      callback->platformTextCancel();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(f.field->isTextEditing());
    EXPECT_EQ(f.field->getText(), commit ? "Native" : "Loudness 2");
    EXPECT_EQ(f.log.size(), commit ? 3u : 0u);
  }
}

TEST(TextEdit, PressingASecondFieldCommitsTheFirst) {
  EditFixture f;
  auto* second = f.add(new CTextEdit(CRect(20, 50, 120, 66), &f.listener, 7, "Second"));
  f.startEditing();
  f.host.type("One");
  f.host.click(CPoint(30, 58));
  EXPECT_EQ(f.field->getText(), "One");
  EXPECT_TRUE(second->isTextEditing());
  ASSERT_NE(f.box(), nullptr);
  EXPECT_EQ(f.box()->getText(), "Second");
  f.host.type("Two");
  f.host.key(VirtualKey::Return);
  EXPECT_EQ(second->getText(), "Two");
  EXPECT_EQ(f.log, (Log{"begin 6", "changed 6 0.00", "end 6", "begin 7", "changed 7 0.00", "end 7"}));
}

TEST(TextEdit, AFieldTakenAwayWhileEditingClosesItsBoxWithoutCommitting) {
  EditFixture f;
  f.startEditing();
  f.host.type("Lost");
  f.frame().removeView(f.field);
  EXPECT_EQ(f.frame().getNbViews(), 0);
  EXPECT_EQ(f.frame().getFocusView(), nullptr);
  EXPECT_FALSE(f.host.platform().hasKeyboardFocus());
  EXPECT_TRUE(f.log.empty());
  f.host.key(VirtualKey::Return);
  f.host.idle();
}

TEST(TextEdit, TheFrameMayGoWhileAFieldIsEditing) {
  EditFixture f;
  f.startEditing();
  f.host.type("x");
}

}  // namespace
