#include "tools/testhost/testhost.h"

#include <cstdlib>
#include <cstring>
#include <map>

#include "tools/testhost/library.h"

namespace stellix::testing {
namespace {

using Entry = AEffect*(VST_CALL*)(audioMasterCallback);

// The callback carries no host pointer: map effect records to hosts. While an entry call
// is constructing the effect, its record is not known yet; that host is the current one.
std::mutex gRegistryMutex;
std::map<AEffect*, TestHost*> gHosts;
thread_local TestHost* tConstructing = nullptr;

TestHost* hostFor(AEffect* effect) {
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  auto it = gHosts.find(effect);
  return it != gHosts.end() ? it->second : tConstructing;
}

}  // namespace

std::string defaultPluginPath() {
  const char* env = std::getenv("STELLIX_PLUGIN");
  return env && *env ? env : "build/KorvanStellix.so";
}

TestHost::TestHost(const std::string& libraryPath) : library_(std::make_unique<SharedLibrary>(libraryPath)) {
  if (!library_->loaded()) {
    error_ = library_->error();
    library_.reset();
  }
}

TestHost::~TestHost() { close(); }

AEffect* TestHost::open(const char* entryName) {
  if (!library_) return nullptr;
  auto entry = reinterpret_cast<Entry>(library_->symbol(entryName));
  if (!entry) {
    error_ = std::string("no entry ") + entryName;
    return nullptr;
  }
  tConstructing = this;
  effect_ = entry(&TestHost::callback);
  tConstructing = nullptr;
  if (effect_) {
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    gHosts[effect_] = this;
  }
  return effect_;
}

VstIntPtr TestHost::close() {
  if (!effect_) return 0;
  AEffect* e = effect_;
  effect_ = nullptr;
  const VstIntPtr answer = e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  gHosts.erase(e);
  return answer;
}

VstIntPtr TestHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void TestHost::setParameter(VstInt32 index, float value) { effect_->setParameter(effect_, index, value); }
float TestHost::getParameter(VstInt32 index) { return effect_->getParameter(effect_, index); }

std::string TestHost::text(VstInt32 opcode, VstInt32 index) {
  char buf[256];
  std::memset(buf, '#', sizeof buf);
  buf[sizeof buf - 1] = '\0';
  dispatch(opcode, index, 0, buf);
  return std::string(buf, strnlen(buf, sizeof buf));
}

void TestHost::process(float** inputs, float** outputs, VstInt32 frames) {
  effect_->processReplacing(effect_, inputs, outputs, frames);
}

void TestHost::process(double** inputs, double** outputs, VstInt32 frames) {
  effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
}

std::vector<HostCall> TestHost::calls() const {
  std::lock_guard<std::mutex> lock(callsMutex_);
  return calls_;
}

void TestHost::clearCalls() {
  std::lock_guard<std::mutex> lock(callsMutex_);
  calls_.clear();
}

VstIntPtr VST_CALL TestHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                      void* ptr, float opt) {
  TestHost* host = hostFor(effect);
  return host ? host->answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr TestHost::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  const HostCall call{opcode, index, value, opt};
  if (recordCalls) {
    std::lock_guard<std::mutex> lock(callsMutex_);
    calls_.push_back(call);
  }
  if (onCall) onCall(call);
  if (VstIntPtr own = 0; onAnswer && onAnswer(call, ptr, &own)) return own;
  switch (opcode) {
    case audioMasterVersion:
      return versionAnswer;
    case audioMasterPinConnected:
      if (index == 1) return (value == 0 ? input2Connected : output2Connected) ? 0 : 1;
      return 0;
    default:
      return 0;
  }
}

}  // namespace stellix::testing
