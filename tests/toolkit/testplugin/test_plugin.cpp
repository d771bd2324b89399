#include "tests/toolkit/testplugin/test_plugin.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "toolkit/cframe.h"
#include "toolkit/controls/canimknob.h"
#include "toolkit/controls/ckickbutton.h"
#include "toolkit/controls/coptionmenu.h"
#include "toolkit/controls/ctextedit.h"

namespace toolkit_test {

namespace {

// Artwork ids and the places the product's window gives them.
constexpr int kBackground = 128;
constexpr int kKnobStrip = 151;  // 101 frames of 56
constexpr int kButtonStrip = 149;  // 2 frames of 35
constexpr CRect kKnobRect(417, 349, 475, 405);
constexpr CRect kButtonRect(245, 400, 280, 435);
constexpr CRect kMenuRect(320, 448, 333, 460);
constexpr CRect kFieldRect(410, 409, 484, 427);

}  // namespace

std::string levelText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.2fdB", static_cast<double>(value) * 24.0 - 12.0);
  return text;
}

bool levelFromText(const std::string& text, float& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double db = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(db)) return false;
  value = static_cast<float>(std::fmin(1.0, std::fmax(0.0, (db + 12.0) / 24.0)));
  return true;
}

std::string choiceTitle(int index) { return "Choice " + std::to_string(index + 1); }
float choiceValue(int index) { return (static_cast<float>(index) + 0.5f) / kChoiceCount; }
int choiceIndex(float value) {
  const int i = static_cast<int>(value * kChoiceCount);
  return i < 0 ? 0 : (i >= kChoiceCount ? kChoiceCount - 1 : i);
}

TestEditor::TestEditor(TestEffect* effect) : AEffGUIEditor(effect), effect_(effect) {
  rect_ = ERect{0, 0, kHeight, kWidth};
}

bool TestEditor::open(void* parentWindow) {
  AEffGUIEditor::open(parentWindow);
  auto background = loadBitmap(kBackground);
  frame = std::make_unique<CFrame>(CRect(0, 0, kWidth, kHeight), this);
  frame->setBackground(background);

  knob_ = new CAnimKnob(kKnobRect, this, kLevel, 101, 56, loadBitmap(kKnobStrip));
  knob_->setDefaultValue(0.5f);
  knob_->setValue(effect_->getParameter(kLevel));
  frame->addView(knob_);

  button_ = new CKickButton(kButtonRect, this, kTrigger, 35, loadBitmap(kButtonStrip));
  frame->addView(button_);

  menu_ = new COptionMenu(kMenuRect, this, kChoice, background, kNoDrawStyle);
  menu_->setBackOffset(kMenuRect.getTopLeft());
  menu_->setNbEntriesPerColumn(kChoicesPerColumn);
  for (int i = 0; i < kChoiceCount; ++i) menu_->addEntry(choiceTitle(i));
  menu_->setCurrent(choiceIndex(effect_->getParameter(kChoice)));
  frame->addView(menu_);

  field_ = new CTextEdit(kFieldRect, this, kLevel, levelText(effect_->getParameter(kLevel)), background);
  field_->setBackOffset(kFieldRect.getTopLeft());
  field_->setFont(kNormalFont);
  field_->setFontColor(CColor(213, 236, 246));
  field_->setHoriAlign(kCenterText);
  field_->setStyle(kNoFrame);
  field_->setStringToValueFunction(levelFromText);
  field_->setValueToStringFunction([](float value, std::string& text) {
    text = levelText(value);
    return true;
  });
  field_->setValue(effect_->getParameter(kLevel));
  frame->addView(field_);

  if (!frame->open(parentWindow)) {
    close();
    return false;
  }
  return true;
}

void TestEditor::close() {
  knob_ = nullptr;
  button_ = nullptr;
  menu_ = nullptr;
  field_ = nullptr;
  AEffGUIEditor::close();
}

void TestEditor::parameterChanged(VstInt32 index, float value) {
  if (!frame) return;
  switch (index) {
    case kLevel:
      if (knob_) knob_->setValue(value);
      if (field_) field_->setValue(value);
      break;
    case kChoice:
      if (menu_) menu_->setValue(static_cast<float>(choiceIndex(value)));
      break;
    default:
      break;
  }
}

void TestEditor::valueChanged(CControl* control) {
  switch (control->getTag()) {
    case kLevel:
      effect_->setParameterAutomated(kLevel, control->getValue());
      break;
    case kTrigger:
      effect_->setParameterAutomated(kTrigger, control->getValue() > 0.5f ? 1.0f : 0.0f);
      break;
    case kChoice:
      effect_->setParameterAutomated(kChoice, choiceValue(static_cast<int>(control->getValue() + 0.5f)));
      break;
    default:
      break;
  }
}

TestEffect::TestEffect(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, 1, kNumParams) {
  setUniqueID(('K' << 24) | ('s' << 16) | ('T' << 8) | 'k');
  setNumInputs(2);
  setNumOutputs(2);
  canProcessReplacing();
  values_[kLevel] = 0.5f;
  values_[kTrigger] = 0.0f;
  values_[kChoice] = choiceValue(0);
  testEditor_ = new TestEditor(this);  // owned by the effect (deleted with it)
}

void TestEffect::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
  const float gain = std::pow(10.0f, (values_[kLevel].load() * 24.0f - 12.0f) / 20.0f);
  for (int c = 0; c < 2; ++c)
    for (VstInt32 i = 0; i < frames; ++i) outputs[c][i] = inputs[c][i] * gain;
}

void TestEffect::setParameter(VstInt32 index, float value) {
  if (index < 0 || index >= kNumParams) return;
  values_[static_cast<std::size_t>(index)] = value;
  testEditor_->parameterChanged(index, value);
}

float TestEffect::getParameter(VstInt32 index) {
  return index >= 0 && index < kNumParams ? values_[static_cast<std::size_t>(index)].load() : 0.0f;
}

void TestEffect::getParameterName(VstInt32 index, char* text) {
  static const char* const names[] = {"Level", "Trigger", "Choice"};
  vst2::copyText(text, index >= 0 && index < kNumParams ? names[index] : "", 8);
}

void TestEffect::getParameterDisplay(VstInt32 index, char* text) {
  std::string shown;
  if (index == kLevel) shown = levelText(getParameter(kLevel));
  if (index == kTrigger) shown = getParameter(kTrigger) > 0.5f ? "on" : "off";
  if (index == kChoice) shown = choiceTitle(choiceIndex(getParameter(kChoice)));
  vst2::copyText(text, shown.c_str(), 8);
}

bool TestEffect::getEffectName(char* name) {
  vst2::copyText(name, "Toolkit Test", 32);
  return true;
}

}  // namespace toolkit_test
