#include "host/plugin.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/user_store.h"
#include "presets/store_names.h"
#include "ui/editor.h"

using namespace stellix;

namespace {

constexpr const char* kEffectName = "Korvan Stellix";
constexpr const char* kVendor = "korvan.example";
constexpr const char* kProduct = "Full band precision limiter";
// Host text buffers for names and displays are nominally 8 bytes; every host we know gives
// more, and our longest text needs 14. Never write more than this.
constexpr std::size_t kParamTextBytes = 24;
constexpr std::size_t kHostStringBytes = 64;

}  // namespace

Plugin::Plugin(audioMasterCallback audioMaster) : CPresetSystemEffect(audioMaster, 1, kParamCount) {
  ProcessingLock constructing(mutex_);  // held for the whole construction
  setNumInputs(2);
  setNumOutputs(2);
  setUniqueID(fourCharConst("KrSt"));
  canProcessReplacing(true);
  canDoubleReplacing(true);

  // The engine allocates every buffer and sets itself up for 44100 Hz.
  engine_ = std::make_unique<Engine>();
  setInitialDelay(engine_->latency());
  suspend();

  fillFactoryPrograms();
  applyMeteringPreferences();  // written into program 0: no program is being applied
  // The editor registers itself with this effect, which deletes it at its end; the effect
  // then announces a window. The editor reads the meters from this effect.
  setPresetEditor(new Editor(this, this));
  if (editorHooks_) editorHooks_->setLatency(engine_->latency());
  captureDefaultProgram();
  selectProgram(0);
}

Plugin::~Plugin() {
  mutex_.lock();  // no processing call is running after this
  engine_.reset();
  mutex_.unlock();
  setPresetEditor(nullptr);
  // The editor goes while this effect is still whole (its window's controls may still call
  // it); its destruction writes the remembered locations.
  delete std::exchange(editor, nullptr);
}

// The display settings the user saved, each a step index; a number beyond the last step
// selects the last step.
void Plugin::applyMeteringPreferences() {
  const auto key = UserStoreKey::open(store::kPrefsKey, UserStoreKey::Access::Read);
  if (!key) return;
  for (const auto& pref : store::kMeteringPreferences) {
    if (const auto n = key->readUInt32(pref.name)) {
      const int step = static_cast<int>(std::min<std::uint32_t>(*n, static_cast<std::uint32_t>(pref.steps - 1)));
      setParameter(pref.parameter, stepCentre(step, pref.steps));
    }
  }
}

void Plugin::suspend() {
  ProcessingLock lock(mutex_, kLockBoundMs);
  if (lock.owns() && engine_) engine_->reset();
}

void Plugin::setSampleRate(float rate) {
  ProcessingLock lock(mutex_, kLockBoundMs);
  if (!lock.owns()) return;
  sampleRate = rate;
  suspend();
  // Rates outside 5000..200000 Hz (and anything that is not a number) count as 44100 Hz.
  int intRate = 44100;
  if (rate >= 5000.0f && rate < 200001.0f) {
    const int r = static_cast<int>(rate);
    if (r <= 200000) intRate = r;
  }
  if (engine_->setSampleRate(intRate)) {
    setInitialDelay(engine_->latency());
    if (editorHooks_) editorHooks_->setLatency(engine_->latency());
  }
  engine_->reset();
}

template <typename T>
void Plugin::processBlock(T** inputs, T** outputs, VstInt32 frames) {
  if (frames <= 0 || !outputs) return;
  ProcessingLock lock(mutex_, kLockBoundMs);
  if (!lock.owns()) {
    // The engine is being rebuilt elsewhere: silence for this block.
    for (int c = 0; c < 2; ++c) {
      if (outputs[c])
        for (VstInt32 i = 0; i < frames; ++i) outputs[c][i] = T(0);
    }
    return;
  }
  Engine& e = *engine_;
  if (e.values().sw.calibrate != 0) {
    T* outR = isPinConnected(1, true) && outputs[1] ? outputs[1] : nullptr;
    e.processCalibration<T>(outputs[0], outR, frames);
    return;
  }
  if (!inputs || !inputs[0] || !outputs[0]) return;
  const T* inL = inputs[0];
  const T* inR = isPinConnected(1, false) && inputs[1] ? inputs[1] : inputs[0];
  T* outR = isPinConnected(1, true) && outputs[1] ? outputs[1] : outputs[0];
  e.processLimiter<T>(inL, inR, outputs[0], outR, frames);
}

void Plugin::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
  processBlock(inputs, outputs, frames);
}

void Plugin::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
  processBlock(inputs, outputs, frames);
}

// Continuous parameters feed their formulas with v limited to 0..1, so that a host sending
// values outside the range can never produce an infinite gain or an undefined release time.
static float unitRange(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

void Plugin::updateEngine(int index, float v) {
  Engine& e = *engine_;
  EngineValues& ev = e.values();
  EngineSwitches& sw = ev.sw;
  const ParamInfo& info = kParams[index];
  const int step = info.steps > 0 ? stepIndex(v, info.steps) : 0;
  switch (index) {
    case kOutput: ev.outputTarget = outputGainFor(unitRange(v)); break;
    case kDrive: ev.driveTarget = driveGainFor(unitRange(v)); break;
    case kTransient: e.setTransient(transientAmountFor(unitRange(v))); break;
    case kRelease: e.setReleaseTime(releaseTimeFor(unitRange(v))); break;
    case kTransShape: {
      ProcessingLock lock(mutex_, kLockBoundMs);
      if (lock.owns()) e.setTransShape(step);
      break;
    }
    case kLink: ev.link = static_cast<double>(unitRange(v)); break;
    case kOversample: sw.oversample = step; break;
    case kDetectorOrder: sw.detectorOrder = step; break;
    case kPower:
      sw.power = step;
      ev.limiterSwitch = step == 1 ? 1.0 : 0.0;
      break;
    case kScale: sw.scale = step; break;
    case kBits: sw.bits = step; break;
    case kNoiseShape: e.setNoiseShape(step); break;
    case kCalibrate: sw.calibrate = step; break;
    case kLeveller: e.setLevellerThreshold(levellerThresholdFor(unitRange(v))); break;
    case kMeterOvs: sw.meterOvs = step; break;
    case kAutoOut: sw.autoOut = step; break;
    case kQuantize: sw.quantize = step; break;
    case kAutoblack: sw.autoblack = step; break;
    case kMeterType: sw.meterType = step; break;
    case kAttZoom: sw.attZoom = step; break;
    case kAttShow:
      sw.attShow = step;
      e.resetGainReductionHolds();
      break;
    case kPostMeter: sw.postMeter = step; break;
    default: break;  // unused slots and the layout version have no engine value
  }
}

void Plugin::setParameter(VstInt32 index, float value) {
  if (!std::isfinite(value)) return;  // a value that is not a number changes nothing
  bool converted = false;
  if (index >= 0 && index < kParamCount) {
    values_[index] = value;
    if (index == kLayoutVersion) {
      converted = stepIndex(value, 100) < 2;
      convertLayout(value);
    } else {
      updateEngine(index, value);
    }
    // After a conversion the program holds converted values: mark it as current layout,
    // so that selecting it again does not convert them a second time.
    if (!applying_) CPresetSystemEffect::setParameter(index, converted ? kLayoutVersionValue : value);
  }
  if (editorHooks_) editorHooks_->parameterChanged(index, value);
}

void Plugin::convertLayout(float v) {
  const int ver = stepIndex(v, 100);
  if (ver == 0) {
    setParameter(kAutoblack, stepCentre(0, 2));
    const int b = stepIndex(values_[kBits], 4);
    if (b != 0) {
      setParameter(kQuantize, stepCentre(1, 2));
      setParameter(kBits, stepCentre(b - 1, 3));
    } else {
      setParameter(kQuantize, stepCentre(0, 2));
      setParameter(kBits, stepCentre(1, 3));
    }
    setParameter(kAttShow, stepCentre(7, 8));
    setParameter(kAttZoom, stepCentre(0, 2));
    setParameter(kPostMeter, stepCentre(1, 2));
    const int k = stepIndex(values_[kScale], 4);
    if (k == 0) {
      setParameter(kMeterType, stepCentre(0, 2));
      setParameter(kScale, stepCentre(1, 3));
    } else {
      setParameter(kMeterType, stepCentre(1, 2));
      setParameter(kScale, stepCentre(k - 1, 3));
    }
  }
  if (ver <= 1) {
    static constexpr int kBitsFromThree[3] = {0, 2, 4};
    setParameter(kBits, stepCentre(kBitsFromThree[stepIndex(values_[kBits], 3)], 5));
    setParameter(kNoiseShape, stepCentre(stepIndex(values_[kNoiseShape], 4), 7));
  }
}

float Plugin::getParameter(VstInt32 index) {
  if (index >= 0 && index <= kPostMeter) return values_[index];
  if (index >= kDummy1 && index <= kDummy3) return currentProgram().values[index];
  if (index == kLayoutVersion) return kLayoutVersionValue;
  return -1.0f;
}

void Plugin::getParameterLabel(VstInt32 index, char* label) {
  if (index >= 0 && index < kParamCount && kParams[index].label)
    vst2::copyText(label, kParams[index].label, kParamTextBytes);
}

void Plugin::getParameterDisplay(VstInt32 index, char* text) {
  if (index < 0 || index > kPostMeter) return;
  vst2::copyText(text, displayText(index, values_[index]).c_str(), kParamTextBytes);
}

void Plugin::getParameterName(VstInt32 index, char* text) {
  if (index >= 0 && index < kParamCount) vst2::copyText(text, kParams[index].name, kParamTextBytes);
}

bool Plugin::getParameterProperties(VstInt32 index, VstParameterProperties* p) {
  return p && fillProperties(index, *p);
}

bool Plugin::getEffectName(char* name) {
  vst2::copyText(name, kEffectName, kHostStringBytes);
  return true;
}

bool Plugin::getVendorString(char* text) {
  vst2::copyText(text, kVendor, kHostStringBytes);
  return true;
}

bool Plugin::getProductString(char* text) {
  vst2::copyText(text, kProduct, kHostStringBytes);
  return true;
}
