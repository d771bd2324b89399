// The renderer's VST 2.4 host side: loads a plug-in library, creates effect instances
// through the exported entry and drives them only through the effect record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/testhost/library.h"
#include "vst2/aeffect.h"

namespace stellix::render {

// A loaded plug-in library. Instances may be created from several threads at once.
class PluginLibrary {
 public:
  // Throws std::runtime_error naming the path and the loader's reason.
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const std::string& path() const { return path_; }

 private:
  friend class PluginInstance;
  using Entry = AEffect*(VST_CALL*)(audioMasterCallback);

  std::string path_;
  testing::SharedLibrary library_;
  Entry entry_ = nullptr;
};

// One effect instance, opened on construction and closed on destruction.
class PluginInstance {
 public:
  // channels (1 or 2) sets the host's pin answers: with one channel the second input and
  // output pins read as not connected. Throws std::runtime_error when the plug-in refuses.
  PluginInstance(const PluginLibrary& library, int channels);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  AEffect& effect() { return *effect_; }
  int latency() const { return effect_->initialDelay; }
  bool canDouble() const { return (effect_->flags & effFlagsCanDoubleReplacing) != 0; }
  bool canFloat() const { return (effect_->flags & effFlagsCanReplacing) != 0; }
  bool usesChunks() const { return (effect_->flags & effFlagsProgramChunks) != 0; }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  void setSampleRate(double rate);
  void setBlockSize(int frames);
  // Resume before processing, suspend after (effMainsChanged, effStartProcess/StopProcess).
  void start();
  void stop();

  int numParams() const { return effect_->numParams; }
  void setParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
  float getParameter(int index) { return effect_->getParameter(effect_, index); }
  std::string parameterName(int index) { return text(effGetParamName, index); }
  std::string parameterDisplay(int index) { return text(effGetParamDisplay, index); }
  std::string parameterLabel(int index) { return text(effGetParamLabel, index); }
  std::string programName() { return text(effGetProgramName, 0); }
  // The name of program index of the plug-in's own list, or false past its end.
  bool programNameIndexed(int index, std::string& name);

  // The chunk the plug-in hands out (a copy; empty when it gives none) and loading one
  // (true when the plug-in accepts it).
  std::vector<std::uint8_t> getChunk();
  bool setChunk(std::vector<std::uint8_t> chunk);

  void process(double** inputs, double** outputs, int frames) {
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
  }
  void process(float** inputs, float** outputs, int frames) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
  }

 private:
  static VstIntPtr VST_CALL callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                     void* ptr, float opt);
  VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value);
  std::string text(VstInt32 opcode, VstInt32 index);

  AEffect* effect_ = nullptr;
  int channels_;
  bool started_ = false;
};

}  // namespace stellix::render
