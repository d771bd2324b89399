// Effect base classes: they own the effect record, route the host's calls to virtual
// operations (trampolines recover the object from the record's object field) and give
// every operation the default answer hosts expect.
#pragma once

#include <cstddef>

#include "vst2/aeffect.h"

class AEffEditor;

namespace vst2 {
// Copies text into a host buffer of capacity bytes (terminator included), cut if needed.
void copyText(char* dst, const char* src, std::size_t capacity) noexcept;
}  // namespace vst2

class AudioEffect {
 public:
  AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
  virtual ~AudioEffect();
  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  AEffect* getAeffect() { return &cEffect; }
  AEffEditor* getEditor() const { return editor; }
  // Called by the editor's constructor: registers it and raises the has-editor flag.
  virtual void setEditor(AEffEditor* e);

  // The dispatcher: one opcode, its arguments, its answer.
  virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

  // Lifecycle.
  virtual void open() {}
  virtual void close() {}
  virtual void suspend() {}
  virtual void resume() {}
  virtual void setSampleRate(float rate) { sampleRate = rate; }
  virtual void setBlockSize(VstInt32 size) { blockSize = size; }

  // Processing.
  virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*frames*/) {}
  virtual void processReplacing(float** inputs, float** outputs, VstInt32 frames) = 0;
  virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, VstInt32 /*frames*/) {}

  // Parameters.
  virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
  virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }
  virtual void setParameterAutomated(VstInt32 index, float value);
  virtual void getParameterLabel(VstInt32 /*index*/, char* label) { vst2::copyText(label, "", 1); }
  virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { vst2::copyText(text, "", 1); }
  virtual void getParameterName(VstInt32 /*index*/, char* text) { vst2::copyText(text, "", 1); }

  // Programs.
  virtual VstInt32 getProgram() { return curProgram; }
  virtual void setProgram(VstInt32 program) { curProgram = program; }
  virtual void setProgramName(char* /*name*/) {}
  virtual void getProgramName(char* name) { vst2::copyText(name, "", 1); }
  virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
  virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) { return 0; }

  // Record set-up.
  void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
  void setNumInputs(VstInt32 n) { cEffect.numInputs = n; }
  void setNumOutputs(VstInt32 n) { cEffect.numOutputs = n; }
  void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
  void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
  void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
  void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }

  // Host callback requests.
  virtual VstInt32 getMasterVersion();
  virtual void updateDisplay();
  virtual void beginEdit(VstInt32 index);
  virtual void endEdit(VstInt32 index);
  // The pin query: an answer of 0 means connected; without a callback every pin counts as connected.
  bool isPinConnected(VstInt32 index, bool output);

  float getSampleRate() const { return sampleRate; }
  VstInt32 getBlockSize() const { return blockSize; }

 protected:
  VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  void setFlag(VstInt32 flag, bool state) {
    cEffect.flags = state ? (cEffect.flags | flag) : (cEffect.flags & ~flag);
  }

  audioMasterCallback audioMaster;
  AEffEditor* editor = nullptr;
  float sampleRate = 44100.0f;
  VstInt32 blockSize = 1024;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 curProgram = 0;
  AEffect cEffect;
};

class AudioEffectX : public AudioEffect {
 public:
  AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
      : AudioEffect(audioMaster, numPrograms, numParams) {}

  VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

  virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/) { return false; }
  virtual bool canParameterBeAutomated(VstInt32 /*index*/) { return true; }
  virtual bool string2parameter(VstInt32 /*index*/, char* /*text*/) { return false; }
  virtual bool getParameterProperties(VstInt32 /*index*/, VstParameterProperties* /*p*/) { return false; }
  virtual bool getEffectName(char* /*name*/) { return false; }
  virtual bool getVendorString(char* /*text*/) { return false; }
  virtual bool getProductString(char* /*text*/) { return false; }
  virtual VstInt32 getVendorVersion() { return 0; }
  virtual VstInt32 getPlugCategory() { return 0; }
  virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
  virtual VstInt32 canDo(char* /*text*/) { return 0; }
  virtual VstInt32 getTailSize() { return 0; }
  virtual bool setBypass(bool /*onOff*/) { return false; }
  virtual VstInt32 getVstVersion() { return 2400; }
};
