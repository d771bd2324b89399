// A minimal VST 2.4 host for tests: loads the plug-in library, drives it only through the
// exported entry and the effect record, and records every callback the plug-in makes.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vst2/aeffect.h"

namespace stellix::testing {

class SharedLibrary;

struct HostCall {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  float opt;
};

// The plug-in library built beside the tests ($STELLIX_PLUGIN, else build/KorvanStellix.so).
std::string defaultPluginPath();

class TestHost {
 public:
  explicit TestHost(const std::string& libraryPath = defaultPluginPath());
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  bool loaded() const { return library_ != nullptr; }
  const std::string& error() const { return error_; }

  // Calls the entry (by name: "VSTPluginMain" or "main"); null when the plug-in refuses.
  AEffect* open(const char* entryName = "VSTPluginMain");
  // effClose and its answer; the effect is gone afterwards.
  VstIntPtr close();
  AEffect* effect() const { return effect_; }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  void setParameter(VstInt32 index, float value);
  float getParameter(VstInt32 index);
  // Text answers of opcodes 5, 6, 7, 8 and 29; the buffer is pre-filled with '#'.
  std::string text(VstInt32 opcode, VstInt32 index = 0);
  std::string paramName(VstInt32 index) { return text(effGetParamName, index); }
  std::string paramDisplay(VstInt32 index) { return text(effGetParamDisplay, index); }
  std::string paramLabel(VstInt32 index) { return text(effGetParamLabel, index); }

  void process(float** inputs, float** outputs, VstInt32 frames);
  void process(double** inputs, double** outputs, VstInt32 frames);

  // Host answers.
  VstIntPtr versionAnswer = 2400;
  bool input2Connected = true;
  bool output2Connected = true;
  // Called for every callback, on the calling thread, before it is answered.
  std::function<void(const HostCall&)> onCall;
  // Called after onCall: returning true answers the call with *answer instead of the built-in
  // answer. ptr is the call's pointer argument.
  std::function<bool(const HostCall&, void* ptr, VstIntPtr* answer)> onAnswer;
  // Whether calls() keeps the callbacks; a long-running host turns this off.
  bool recordCalls = true;

  std::vector<HostCall> calls() const;
  void clearCalls();

 private:
  static VstIntPtr VST_CALL callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                     void* ptr, float opt);
  VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

  std::unique_ptr<SharedLibrary> library_;
  AEffect* effect_ = nullptr;
  std::string error_;
  mutable std::mutex callsMutex_;
  std::vector<HostCall> calls_;
};

}  // namespace stellix::testing
