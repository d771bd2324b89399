#include "tools/render/vst_host.h"

#include <cstring>
#include <stdexcept>

namespace stellix::render {
namespace {

constexpr VstIntPtr kHostVersion = 2400;
// Longest text we let the plug-in write into; VST 2.4 names are nominally 8 to 64 bytes.
constexpr std::size_t kTextBytes = 256;

// While an entry call constructs an effect, the plug-in calls back before the host knows
// the effect record: the instance being constructed on this thread answers those calls.
thread_local PluginInstance* tConstructing = nullptr;

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) : path_(path), library_(path) {
  if (!library_.loaded()) throw std::runtime_error("cannot load plug-in " + path + ": " + library_.error());
  void* sym = library_.symbol("VSTPluginMain");
  if (!sym) sym = library_.symbol("main");  // older plug-ins export only this name
  if (!sym) throw std::runtime_error("plug-in " + path + " exports no VSTPluginMain entry");
  entry_ = reinterpret_cast<Entry>(sym);
}

PluginLibrary::~PluginLibrary() = default;

PluginInstance::PluginInstance(const PluginLibrary& library, int channels) : channels_(channels) {
  tConstructing = this;
  AEffect* e = library.entry_(&PluginInstance::callback);
  tConstructing = nullptr;
  if (!e) throw std::runtime_error("plug-in " + library.path() + " refused to create an effect");
  if (e->magic != kEffectMagic) throw std::runtime_error("plug-in " + library.path() + " returned no VST effect");
  effect_ = e;
  effect_->user = this;
  dispatch(effOpen);
  if (effect_->numInputs < 1 || effect_->numInputs > 2 || effect_->numOutputs < 1 || effect_->numOutputs > 2) {
    const std::string io = std::to_string(effect_->numInputs) + " in, " + std::to_string(effect_->numOutputs) + " out";
    dispatch(effClose);
    effect_ = nullptr;
    throw std::runtime_error("plug-in " + library.path() + " has " + io + "; the renderer needs 1 or 2 of each");
  }
}

PluginInstance::~PluginInstance() {
  if (!effect_) return;
  stop();
  dispatch(effClose);  // the plug-in deletes its effect here
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::setSampleRate(double rate) { dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate)); }
void PluginInstance::setBlockSize(int frames) { dispatch(effSetBlockSize, 0, frames); }

void PluginInstance::start() {
  if (started_) return;
  dispatch(effMainsChanged, 0, 1);
  dispatch(effStartProcess);
  started_ = true;
}

void PluginInstance::stop() {
  if (!started_) return;
  dispatch(effStopProcess);
  dispatch(effMainsChanged, 0, 0);
  started_ = false;
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
  char buf[kTextBytes] = {};
  dispatch(opcode, index, 0, buf);
  buf[kTextBytes - 1] = '\0';
  return buf;
}

bool PluginInstance::programNameIndexed(int index, std::string& name) {
  char buf[kTextBytes] = {};
  if (dispatch(effGetProgramNameIndexed, index, -1, buf) == 0) return false;
  buf[kTextBytes - 1] = '\0';
  name = buf;
  return true;
}

std::vector<std::uint8_t> PluginInstance::getChunk() {
  void* data = nullptr;
  const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return std::vector<std::uint8_t>(bytes, bytes + size);
}

bool PluginInstance::setChunk(std::vector<std::uint8_t> chunk) {
  // The plug-in reads from our buffer only during the call.
  return dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()) == 0;
}

VstIntPtr VST_CALL PluginInstance::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void*, float) {
  PluginInstance* self = effect && effect->user ? static_cast<PluginInstance*>(effect->user) : tConstructing;
  if (!self) return opcode == audioMasterVersion ? kHostVersion : 0;
  return self->answer(opcode, index, value);
}

VstIntPtr PluginInstance::answer(VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/) {
  switch (opcode) {
    case audioMasterVersion:
      return kHostVersion;
    case audioMasterPinConnected:
      // 0 means connected. Pin 0 always is; pin 1 only for stereo material.
      return index == 0 || (index == 1 && channels_ == 2) ? 0 : 1;
    default:
      return 0;  // automation, display updates and edit gestures need no answer offline
  }
}

}  // namespace stellix::render
