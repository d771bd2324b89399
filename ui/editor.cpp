#include "ui/editor.h"

#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>

#include "host/parameters.h"
#include "platform/tick.h"
#include "platform/user_store.h"
#include "presets/ckorvantextedit.h"
#include "presets/preset_system_effect.h"
#include "presets/store_names.h"
#include "toolkit/cbitmap.h"
#include "toolkit/ccolor.h"
#include "toolkit/cfont.h"
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

using namespace stellix;

namespace {

constexpr int kKnobPictures = 101;
constexpr float kFineWheelFactor = 0.1f;
constexpr int kInfoBackgroundBitmap = 157;  // none is supplied: the screen draws without one
constexpr int kInfoFontBitmap = 137;

struct KnobSetup {
  CRect rect;
  int parameter;
  int bitmap;
  CCoord imageHeight;
  float dragRangeFactor;
  float wheelStep;
  float defaultValue;
};

constexpr KnobSetup kTransientKnob{CRect(55, 169, 105, 217), kTransient, 152, 48, 0.7f, 0.05f, 0.2f};
constexpr KnobSetup kReleaseKnob{CRect(56, 267, 105, 314), kRelease, 153, 47, 0.7f, 0.05f, 0.7237f};
constexpr KnobSetup kLevellerKnob{CRect(421, 169, 469, 216), kLeveller, 147, 47, 0.7f, 1.0f / 24.0f, 1.0f};
constexpr KnobSetup kLinkKnob{CRect(421, 267, 469, 314), kLink, 148, 47, 0.7f, 0.05f, 1.0f};
constexpr KnobSetup kDriveKnob{CRect(52, 349, 108, 404), kDrive, 150, 55, 1.0f, 1.0f / 96.0f, 0.5f};
constexpr KnobSetup kOutputKnob{CRect(417, 349, 475, 405), kOutput, 151, 56, 1.0f, 1.0f / 24.0f, 1.0f};

// The value fields: light text under the lower knobs, dark text under the others.
constexpr CColor kLightText(213, 236, 246);
constexpr CColor kDarkText(39, 39, 39);

struct FieldSetup {
  CRect rect;
  int parameter;
  const char* text;
  CColor color;
};

constexpr FieldSetup kDriveField{CRect(43, 409, 117, 427), kDrive, "+0.00dB", kLightText};
constexpr FieldSetup kOutputField{CRect(410, 409, 484, 427), kOutput, "+0.00dB", kLightText};
constexpr FieldSetup kTransientField{CRect(45, 221, 119, 239), kTransient, "20.0%", kDarkText};
constexpr FieldSetup kReleaseField{CRect(45, 319, 119, 337), kRelease, "200.0ms", kDarkText};
constexpr FieldSetup kLevellerField{CRect(411, 221, 485, 239), kLeveller, "off", kDarkText};
constexpr FieldSetup kLinkField{CRect(411, 319, 485, 337), kLink, "100.0%", kDarkText};

bool isOn(float v) { return stepIndex(v, 2) == 1; }

// The AttShow flag button of bit: on when the bit is set in the AttShow step.
float attShowFlag(float attShow, int bit) { return stepCentre((stepIndex(attShow, 8) >> bit) & 1, 2); }

CMyKnob* makeKnob(const KnobSetup& k, CControlListener* listener, float value) {
  auto* knob = new CMyKnob(k.rect, listener, k.parameter, kKnobPictures, k.imageHeight, loadBitmap(k.bitmap));
  knob->setDragRangeFactor(k.dragRangeFactor);
  knob->setWheelInc(k.wheelStep);
  knob->setWheelFineFactor(kFineWheelFactor);
  knob->setDefaultValue(k.defaultValue);
  knob->setValue(value);
  return knob;
}

CKorvanTextEdit* makeField(const FieldSetup& f, CControlListener* listener, const SharedBitmap& background,
                           float value) {
  auto* field = new CKorvanTextEdit(f.rect, listener, f.parameter, f.text, background);
  field->setBackOffset(f.rect.getTopLeft());
  field->setFont(kNormalFont);
  field->setFontColor(f.color);
  const int index = f.parameter;
  field->setValueToStringFunction([index](float v, std::string& text) {
    text = editorText(index, v);
    return !text.empty();
  });
  field->setStringToValueFunction([index](const std::string& text, float& v) {
    const std::optional<float> read = editorTextToValue(index, text.c_str());
    if (!read) return false;
    v = *read;
    return true;
  });
  field->setValue(value);  // the value's text replaces the initial one
  return field;
}

}  // namespace

// ---- Lifecycle

Editor::Editor(CPresetSystemEffect* effect, MeterSnapshotSource* meters)
    : CPresetSystemEditor(effect), meters_(meters), lastIdleTick_(tickCountMs()), highlightTick_(lastIdleTick_) {}

Editor::~Editor() {
  // The controls go before the preset system's part closes the rest.
  Editor::close();
}

float Editor::parameter(int index) const { return effect_ ? effect_->getParameter(index) : 0.0f; }

bool Editor::open(void* parentWindow) {
  if (frame) return true;  // open already
  if (!effect_ || !presetEffect_ || !parentWindow) return false;
  const SharedBitmap background = loadBitmap(kBackgroundBitmap);
  // The window is as large as its picture (the size the host was told, should it be missing).
  const CRect size = background->isLoaded() ? CRect(0, 0, background->getWidth(), background->getHeight())
                                            : CRect(0, 0, kWindowWidth, kWindowHeight);
  frame = std::make_unique<MyFrame>(size, this);
  frame->setBackground(background);

  Controls built;
  buildControls(built);
  if (!CPresetSystemEditor::open(parentWindow)) {
    close();
    return false;
  }
  {
    // From here on other threads' changes reach the controls; what changed while they were
    // being made is shown now.
    std::lock_guard<std::mutex> lock(controlsMutex_);
    controls_ = built;
    for (int i = 0; i <= kPostMeter; ++i) showParameter(i, parameter(i));
    if (controls_.info) controls_.info->setLatency(latency());
  }
  if (!frame->open(parentWindow)) {
    close();
    return false;
  }
  return true;
}

void Editor::buildControls(Controls& c) {
  const SharedBitmap background = frame->getBackground();
  const SharedBitmap backlight = loadBitmap(kBacklightBitmap);
  const bool quantize = isOn(parameter(kQuantize));
  const float attShow = parameter(kAttShow);

  auto add = [this](auto* view) {
    frame->addView(view);
    return view;
  };
  auto backlit = [&](const CRect& rect, std::int32_t tag, int bitmap, float value, bool preference) {
    auto* button = new CStellixBcklitButton(rect, this, tag, loadBitmap(bitmap));
    button->setBacklight(backlight);
    if (preference) {
      button->setPreferenceFlag(true);
      button->setEditorActions(this);
    }
    button->setValue(value);
    return add(button);
  };
  auto button = [&](const CRect& rect, std::int32_t tag, int bitmap, bool preference) {
    auto* b = new CStellixButton(rect, this, tag, loadBitmap(bitmap));
    if (preference) {
      b->setPreferenceFlag(true);
      b->setEditorActions(this);
    }
    b->setValue(parameter(tag));
    return add(b);
  };

  c.detectorOrder = backlit(CRect(44, 40, 77, 59), kDetectorOrder, 139, parameter(kDetectorOrder), false);

  c.oversample = new COversamplingButton(CRect(81, 40, 114, 59), this, kOversample, loadBitmap(140));
  c.oversample->setBacklight(backlight);
  c.oversample->setValue(parameter(kOversample));
  add(c.oversample);

  c.meterMode = new CModeButton(CRect(223, 305, 258, 367), this, kScale, loadBitmap(141));
  c.meterMode->setEditorActions(this);
  c.meterMode->setKSystem(isOn(parameter(kMeterType)));
  c.meterMode->setScaleIndex(stepIndex(parameter(kScale), 3));
  add(c.meterMode);

  c.quantize = backlit(CRect(412, 40, 445, 59), kQuantize, 162, parameter(kQuantize), false);

  c.autoblack = new CAutoBlack(CRect(449, 40, 482, 59), this, kAutoblack, loadBitmap(163));
  c.autoblack->setBacklight(backlight);
  c.autoblack->setQuantize(quantize);
  c.autoblack->setValue(parameter(kAutoblack));
  add(c.autoblack);

  c.bits = new CBits(CRect(412, 72, 445, 103), this, kBits, loadBitmap(142));
  c.bits->setQuantize(quantize);
  c.bits->setValue(parameter(kBits));
  add(c.bits);

  c.noiseShape = new CNoiseShape(CRect(449, 72, 482, 103), this, kNoiseShape, loadBitmap(143));
  c.noiseShape->setValue(parameter(kNoiseShape));
  c.noiseShape->setQuantize(quantize);
  add(c.noiseShape);

  c.calibrate = new CCalibButton(CRect(269, 335, 302, 366), this, kCalibrate, loadBitmap(145));
  c.calibrate->setValue(parameter(kCalibrate));
  add(c.calibrate);

  c.attZoom = backlit(CRect(269, 265, 302, 284), kAttZoom, 144, parameter(kAttZoom), true);
  c.attShow[0] = backlit(CRect(224, 265, 257, 284), kAttShow1Tag, 164, attShowFlag(attShow, 0), true);
  c.attShow[1] = backlit(CRect(224, 230, 257, 249), kAttShow2Tag, 165, attShowFlag(attShow, 1), true);
  c.attShow[2] = backlit(CRect(269, 230, 302, 249), kAttShowLTag, 166, attShowFlag(attShow, 2), true);

  c.transient = add(makeKnob(kTransientKnob, this, parameter(kTransient)));
  c.release = add(makeKnob(kReleaseKnob, this, parameter(kRelease)));
  c.leveller = add(makeKnob(kLevellerKnob, this, parameter(kLeveller)));
  c.link = add(makeKnob(kLinkKnob, this, parameter(kLink)));

  c.transShape = new CSpeedSwitch(CRect(38, 121, 128, 146), this, kTransShape, loadBitmap(146));
  c.transShape->setValue(parameter(kTransShape));
  add(c.transShape);

  c.power = button(CRect(245, 400, 280, 435), kPower, 149, false);
  c.drive = add(makeKnob(kDriveKnob, this, parameter(kDrive)));
  c.output = add(makeKnob(kOutputKnob, this, parameter(kOutput)));
  c.autoOut = button(CRect(394, 368, 412, 392), kAutoOut, 161, false);
  c.postMeter = button(CRect(116, 368, 134, 392), kPostMeter, 161, true);

  c.info = new CInfo(CRect(224, 370, 301, 401), loadBitmap(kInfoBackgroundBitmap), loadBitmap(kInfoFontBitmap));
  c.info->setLatency(latency());
  add(c.info);

  c.driveField = add(makeField(kDriveField, this, background, parameter(kDrive)));
  c.outputField = add(makeField(kOutputField, this, background, parameter(kOutput)));
  c.transientField = add(makeField(kTransientField, this, background, parameter(kTransient)));
  c.releaseField = add(makeField(kReleaseField, this, background, parameter(kRelease)));
  c.levellerField = add(makeField(kLevellerField, this, background, parameter(kLeveller)));
  c.linkField = add(makeField(kLinkField, this, background, parameter(kLink)));

  c.meterOvs = backlit(CRect(269, 307, 302, 326), kMeterOvs, 160, parameter(kMeterOvs), true);

  const int mode = c.meterMode->isKSystem() ? c.meterMode->getScaleIndex() + 1 : 0;
  c.meterIn = add(new CMeterIn(this, background));
  c.meterIn->setMode(mode);
  c.meterOut = add(new CMeterOut(this, background));
  c.meterOut->setMode(mode);
  c.meterGR = add(new CMeterGR(this));
  c.meterGR->setZoom(isOn(parameter(kAttZoom)));
  c.lcdIn = add(new CMeterLCD(CMeterLCD::kInputRect, this, background));
  c.lcdIn->setMode(mode);
  c.lcdOut = add(new CMeterLCD(CMeterLCD::kOutputRect, this, background));
  c.lcdOut->setMode(mode);
  c.lcdGR = add(new CMeterLCDGR(this, background));
}

void Editor::close() {
  {
    std::lock_guard<std::mutex> lock(controlsMutex_);
    controls_ = Controls{};
  }
  CPresetSystemEditor::close();
}

// ---- Idle

void Editor::idle() {
  if (!frame) return;
  const std::uint32_t t = frame->getTicks();
  if (t - lastIdleTick_ < kIdleIntervalMs) return;
  const Controls& c = controls_;

  if (meters_ && c.meterIn) {
    float m[MeterSnapshotSource::kValues];
    meters_->getMeterSnapshot(m);
    using R = MeterSnapshotSource;
    c.meterIn->feed(t, m[R::kInPeakL], m[R::kInPeakR], m[R::kInRmsL], m[R::kInRmsR]);
    c.meterOut->feed(t, m[R::kOutPeakL], m[R::kOutPeakR], m[R::kOutRmsL], m[R::kOutRmsR]);
    c.meterGR->feed(t, m[R::kGainL], m[R::kGainR]);
    c.lcdIn->feed(m[R::kInPeakL], m[R::kInPeakR]);
    c.lcdOut->feed(m[R::kOutPeakL], m[R::kOutPeakR]);
    c.lcdGR->feed(m[R::kGainL], m[R::kGainR]);
  }
  if (c.calibrate) c.calibrate->setBlinkTick(t);
  if (highlightPending_ && t - highlightTick_ > kHighlightMs) {
    setPreferenceLights(false);
    highlightPending_ = false;
  }
  CPresetSystemEditor::idle();
  lastIdleTick_ = t;
}

// ---- Controls to the effect

void Editor::setParameterAutomated(int index, float value) {
  if (effect_) effect_->setParameterAutomated(index, value);
}

void Editor::valueChanged(CControl* control) {
  CPresetSystemEditor::valueChanged(control);
  if (!control || !effect_) return;
  const std::int32_t tag = control->getTag();
  const float v = control->getValue();
  const Controls& c = controls_;
  switch (tag) {
    case kOutput:
    case kDrive:
    case kTransient:
    case kRelease:
    case kTransShape:
    case kLink:
    case kDetectorOrder:
    case kPower:
    case kBits:
    case kNoiseShape:
    case kLeveller:
    case kAutoOut:
    case kQuantize:
    case kAutoblack: setParameterAutomated(tag, v); break;
    case kOversample:
    case kCalibrate:
    case kMeterOvs:
      resetAllMeters();
      setParameterAutomated(tag, v);
      break;
    case kAttZoom:
      if (c.meterGR) c.meterGR->reset();
      setParameterAutomated(tag, v);
      break;
    case kPostMeter:
      if (c.meterIn) c.meterIn->reset();
      if (c.lcdIn) c.lcdIn->reset();
      setParameterAutomated(tag, v);
      break;
    case kMeterTag: resetAllMeters(); break;
    case kAttShow1Tag:
    case kAttShow2Tag:
    case kAttShowLTag: {
      const int bit = 1 << (tag - kAttShow1Tag);
      const int flags = stepIndex(parameter(kAttShow), 8);
      const int changed = stepIndex(v, 2) == 1 ? flags | bit : flags & ~bit;
      setParameterAutomated(kAttShow, stepCentre(changed, 8));
      break;
    }
    default: break;  // the mode button sets its parameters itself; other tags are not ours
  }
}

void Editor::resetAllMeters() {
  const Controls& c = controls_;
  if (!c.meterIn) return;
  c.meterIn->reset();
  c.meterOut->reset();
  c.meterGR->reset();
  c.lcdIn->reset();
  c.lcdOut->reset();
  c.lcdGR->reset();
}

// ---- The effect to the controls

void Editor::parameterChanged(int index, float value) {
  std::lock_guard<std::mutex> lock(controlsMutex_);
  if (controls_.meterIn) showParameter(index, value);
}

void Editor::showParameter(int index, float v) {
  Controls& c = controls_;
  auto knobAndField = [v](CMyKnob* knob, CKorvanTextEdit* field) {
    knob->setValue(v);
    field->setValue(v);
  };
  switch (index) {
    case kOutput: knobAndField(c.output, c.outputField); break;
    case kDrive: knobAndField(c.drive, c.driveField); break;
    case kTransient: knobAndField(c.transient, c.transientField); break;
    case kRelease: knobAndField(c.release, c.releaseField); break;
    case kLink: knobAndField(c.link, c.linkField); break;
    case kLeveller: knobAndField(c.leveller, c.levellerField); break;
    case kTransShape: c.transShape->setValue(v); break;
    case kOversample: c.oversample->setValue(v); break;
    case kDetectorOrder: c.detectorOrder->setValue(v); break;
    case kPower: c.power->setValue(v); break;
    case kCalibrate: c.calibrate->setValue(v); break;
    case kMeterOvs: c.meterOvs->setValue(v); break;
    case kAutoOut: c.autoOut->setValue(v); break;
    case kPostMeter: c.postMeter->setValue(v); break;
    case kScale:
      c.meterMode->setScaleIndex(stepIndex(v, 3));
      distributeMeterMode();
      break;
    case kMeterType:
      c.meterMode->setKSystem(isOn(v));
      distributeMeterMode();
      break;
    case kBits: c.bits->setValue(v); break;
    case kNoiseShape: c.noiseShape->setValue(v); break;
    case kQuantize: {
      c.quantize->setValue(v);
      const bool on = isOn(v);
      c.bits->setQuantize(on);
      c.noiseShape->setQuantize(on);
      c.autoblack->setQuantize(on);
      break;
    }
    case kAutoblack: c.autoblack->setValue(v); break;
    case kAttZoom:
      c.attZoom->setValue(v);
      c.meterGR->setZoom(isOn(v));
      break;
    case kAttShow:
      c.meterGR->reset();
      c.lcdGR->reset();
      for (int bit = 0; bit < 3; ++bit) c.attShow[bit]->setValue(attShowFlag(v, bit));
      break;
    default: break;
  }
}

void Editor::distributeMeterMode() {
  const Controls& c = controls_;
  const int mode = c.meterMode->isKSystem() ? c.meterMode->getScaleIndex() + 1 : 0;
  c.meterIn->setMode(mode);
  c.meterOut->setMode(mode);
  c.lcdIn->setMode(mode);
  c.lcdOut->setMode(mode);
}

void Editor::setLatency(int samples) {
  CPresetSystemEditor::setLatency(samples);
  std::lock_guard<std::mutex> lock(controlsMutex_);
  if (controls_.info) controls_.info->setLatency(samples);
}

// ---- Metering preferences

void Editor::setPreferenceLights(bool lit) {
  const Controls& c = controls_;
  if (!c.meterMode) return;
  for (CStellixButton* b : {static_cast<CStellixButton*>(c.attZoom), static_cast<CStellixButton*>(c.attShow[0]),
                            static_cast<CStellixButton*>(c.attShow[1]), static_cast<CStellixButton*>(c.attShow[2]),
                            static_cast<CStellixButton*>(c.meterOvs), c.postMeter})
    b->setLit(lit);
  c.meterMode->setLit(lit);
}

void Editor::saveMeteringPreferences() {
  std::uint32_t steps[std::size(store::kMeteringPreferences)];
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const auto& pref = store::kMeteringPreferences[i];
    steps[i] = static_cast<std::uint32_t>(stepIndex(parameter(pref.parameter), pref.steps));
  }
  highlightTick_ = frame ? frame->getTicks() : tickCountMs();
  highlightPending_ = true;
  setPreferenceLights(true);

  const auto key = UserStoreKey::open(store::kPrefsKey, UserStoreKey::Access::Write);
  if (!key) return;
  for (std::size_t i = 0; i < std::size(steps); ++i) key->writeUInt32(store::kMeteringPreferences[i].name, steps[i]);
}
