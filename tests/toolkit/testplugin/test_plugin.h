// A small effect whose window is built from the toolkit and the product's artwork: one knob,
// one button, one option menu and one text field on the real background. The toolkit's tests
// render it headless, and the editor test host opens it in real windows (X11, and Win32 under
// wine) to compare the pixels and drive it with the mouse.
#pragma once

#include <array>
#include <atomic>
#include <string>

#include "toolkit/ccontrol.h"
#include "vst2/aeffguieditor.h"
#include "vst2/audioeffect.h"

class CAnimKnob;
class CKickButton;
class COptionMenu;
class CTextEdit;

namespace toolkit_test {

enum Param : VstInt32 { kLevel = 0, kTrigger, kChoice, kNumParams };

inline constexpr int kChoiceCount = 27;
inline constexpr int kChoicesPerColumn = 12;

// "Level" in decibels: 0 .. 1 is -12 .. +12 dB.
std::string levelText(float value);
bool levelFromText(const std::string& text, float& value);
// The menu's entries.
std::string choiceTitle(int index);
float choiceValue(int index);
int choiceIndex(float value);

class TestEffect;

class TestEditor : public AEffGUIEditor, public CControlListener {
 public:
  static constexpr int kWidth = 524;
  static constexpr int kHeight = 462;

  explicit TestEditor(TestEffect* effect);

  bool open(void* parentWindow) override;
  void close() override;
  // Called by the effect for every parameter change, on any thread: stores the value only.
  void parameterChanged(VstInt32 index, float value);

  void valueChanged(CControl* control) override;

  CAnimKnob* knob() const { return knob_; }
  CKickButton* button() const { return button_; }
  COptionMenu* menu() const { return menu_; }
  CTextEdit* field() const { return field_; }

 private:
  TestEffect* effect_;
  CAnimKnob* knob_ = nullptr;
  CKickButton* button_ = nullptr;
  COptionMenu* menu_ = nullptr;
  CTextEdit* field_ = nullptr;
};

class TestEffect : public AudioEffectX {
 public:
  explicit TestEffect(audioMasterCallback audioMaster);

  void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override;
  void getParameterName(VstInt32 index, char* text) override;
  void getParameterDisplay(VstInt32 index, char* text) override;
  bool getEffectName(char* name) override;
  TestEditor* testEditor() const { return testEditor_; }

 private:
  std::array<std::atomic<float>, kNumParams> values_{};
  TestEditor* testEditor_;
};

}  // namespace toolkit_test
