#include "vst2/audioeffect.h"

#include <cstring>

#include "vst2/aeffeditor.h"

namespace vst2 {

void copyText(char* dst, const char* src, std::size_t capacity) noexcept {
  if (!dst || capacity == 0) return;
  std::size_t n = 0;
  if (src) {
    while (n + 1 < capacity && src[n] != '\0') ++n;
    std::memcpy(dst, src, n);
  }
  dst[n] = '\0';
}

}  // namespace vst2

namespace {

AudioEffect* effectOf(AEffect* e) { return e ? static_cast<AudioEffect*>(e->object) : nullptr; }

VstIntPtr VST_CALL dispatchTrampoline(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                      void* ptr, float opt) {
  AudioEffect* fx = effectOf(e);
  return fx ? fx->dispatcher(opcode, index, value, ptr, opt) : 0;
}

void VST_CALL processTrampoline(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
  if (AudioEffect* fx = effectOf(e)) fx->process(inputs, outputs, frames);
}

void VST_CALL processReplacingTrampoline(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
  if (AudioEffect* fx = effectOf(e)) fx->processReplacing(inputs, outputs, frames);
}

void VST_CALL processDoubleTrampoline(AEffect* e, double** inputs, double** outputs, VstInt32 frames) {
  if (AudioEffect* fx = effectOf(e)) fx->processDoubleReplacing(inputs, outputs, frames);
}

void VST_CALL setParameterTrampoline(AEffect* e, VstInt32 index, float value) {
  if (AudioEffect* fx = effectOf(e)) fx->setParameter(index, value);
}

float VST_CALL getParameterTrampoline(AEffect* e, VstInt32 index) {
  AudioEffect* fx = effectOf(e);
  return fx ? fx->getParameter(index) : 0.0f;
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster_, VstInt32 numPrograms_, VstInt32 numParams_)
    : audioMaster(audioMaster_), numPrograms(numPrograms_), numParams(numParams_) {
  std::memset(&cEffect, 0, sizeof(cEffect));
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = dispatchTrampoline;
  cEffect.process = processTrampoline;
  cEffect.setParameter = setParameterTrampoline;
  cEffect.getParameter = getParameterTrampoline;
  cEffect.numPrograms = numPrograms_;
  cEffect.numParams = numParams_;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.ioRatio = 1.0f;
  cEffect.object = this;
  cEffect.uniqueID = fourCharConst("NoEf");
  cEffect.version = 1;
  cEffect.processReplacing = processReplacingTrampoline;
  cEffect.processDoubleReplacing = processDoubleTrampoline;
}

AudioEffect::~AudioEffect() {
  delete editor;
  editor = nullptr;
}

void AudioEffect::setEditor(AEffEditor* e) {
  editor = e;
  setFlag(effFlagsHasEditor, e != nullptr);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

VstInt32 AudioEffect::getMasterVersion() {
  if (!audioMaster) return 1;
  const VstIntPtr v = callHost(audioMasterVersion);
  return v == 0 ? 1 : static_cast<VstInt32>(v);
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
  setParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::updateDisplay() { callHost(audioMasterUpdateDisplay); }
void AudioEffect::beginEdit(VstInt32 index) { callHost(audioMasterBeginEdit, index); }
void AudioEffect::endEdit(VstInt32 index) { callHost(audioMasterEndEdit, index); }

bool AudioEffect::isPinConnected(VstInt32 index, bool output) {
  if (!audioMaster) return true;
  return callHost(audioMasterPinConnected, index, output ? 1 : 0) == 0;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      delete this;
      return 1;
    case effSetProgram:
      setProgram(static_cast<VstInt32>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (text) setProgramName(text);
      return 0;
    case effGetProgramName:
      if (text) getProgramName(text);
      return 0;
    case effGetParamLabel:
      if (text) getParameterLabel(index, text);
      return 0;
    case effGetParamDisplay:
      if (text) getParameterDisplay(index, text);
      return 0;
    case effGetParamName:
      if (text) getParameterName(index, text);
      return 0;
    case effSetSampleRate:
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      setBlockSize(static_cast<VstInt32>(value));
      return 0;
    case effMainsChanged:
      if (value == 0)
        suspend();
      else
        resume();
      return 0;
    case effEditGetRect:
      return editor ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
      return editor ? editor->open(ptr) : 0;
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;
    case effIdentify:
      return fourCharConst("NvEf");
    case effGetChunk:
      return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
      return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
      return 0;
  }
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effCanBeAutomated:
      return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
      return text && string2parameter(index, text) ? 1 : 0;
    case effGetProgramNameIndexed:
      return text && getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
    case effGetPlugCategory:
      return getPlugCategory();
    case effSetBypass:
      return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
      return text && getEffectName(text) ? 1 : 0;
    case effGetVendorString:
      return text && getVendorString(text) ? 1 : 0;
    case effGetProductString:
      return text && getProductString(text) ? 1 : 0;
    case effGetVendorVersion:
      return getVendorVersion();
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return text ? canDo(text) : 0;
    case effGetTailSize:
      return getTailSize();
    case effGetParameterProperties:
      return ptr && getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
    case effGetVstVersion:
      return getVstVersion();
    case effEditKeyDown:
      return editor && editor->onKeyDown(index, value, opt) ? 1 : 0;
    case effEditKeyUp:
      return editor && editor->onKeyUp(index, value, opt) ? 1 : 0;
    case effSetEditKnobMode:
      return editor && editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<void**>(value) = nullptr;
      if (ptr) *static_cast<void**>(ptr) = nullptr;
      return 0;
    case effSetTotalSampleToProcess:
      return value;
    default:
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}
