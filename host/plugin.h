// The effect object: record set-up, parameters, sample rate, suspend and the processing
// entry points around the engine, under the processing mutex.
#pragma once

#include <array>
#include <atomic>
#include <memory>

#include "engine/engine.h"
#include "host/parameters.h"
#include "platform/processing_mutex.h"
#include "presets/preset_system_editor.h"
#include "presets/preset_system_effect.h"
#include "ui/meter_snapshot_source.h"

class Plugin : public CPresetSystemEffect, public stellix::MeterSnapshotSource {
 public:
  static constexpr std::uint32_t kLockBoundMs = 1000;

  explicit Plugin(audioMasterCallback audioMaster);
  ~Plugin() override;

  void suspend() override;
  void resume() override {}
  void setSampleRate(float rate) override;
  void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
  void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;

  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override;
  void getParameterLabel(VstInt32 index, char* label) override;
  void getParameterDisplay(VstInt32 index, char* text) override;
  void getParameterName(VstInt32 index, char* text) override;
  bool getParameterProperties(VstInt32 index, VstParameterProperties* p) override;

  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  VstInt32 getVendorVersion() override { return 1510; }
  VstInt32 getPlugCategory() override { return kPlugCategMastering; }

  bool isParameterSkippedOnSave(int /*index*/) const override { return false; }
  bool isParameterSkippedOnLoad(int /*index*/) const override { return false; }

  // [editor thread, no lock] The ten meter readings (input peak L/R, output peak L/R,
  // input RMS L/R, output RMS L/R, gain reduction L/R); raises the meter-read flag.
  void getMeterSnapshot(float out[kValues]) override { engine_->meterSnapshot(out); }
  // The current rate shift (0, 1 or 2).
  virtual int getRateShift() const { return engine_->values().rateShift; }

  stellix::Engine& engine() noexcept { return *engine_; }
  // The editor side of the preset system; it lives as long as the effect, which owns it.
  CPresetSystemEditor& presetSystemEditor() noexcept { return *presetEditor_; }

 private:
  template <typename T>
  void processBlock(T** inputs, T** outputs, VstInt32 frames);
  void updateEngine(int index, float v);
  void convertLayout(float v);
  void applyMeteringPreferences();

  stellix::ProcessingMutex mutex_;
  std::unique_ptr<stellix::Engine> engine_;
  // Normalized values as last set; any thread sets them while the editor reads them.
  std::array<std::atomic<float>, stellix::kParamCount> values_{};
};
