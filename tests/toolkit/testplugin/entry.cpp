// The test plug-in's exported entry, under the names VSTPluginMain and main.
#include "tests/toolkit/testplugin/test_plugin.h"

#if defined(_WIN32)
#define TEST_EXPORT extern "C" __declspec(dllexport)
#else
#define TEST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

AEffect* createEffect(audioMasterCallback audioMaster) {
  if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  try {
    return (new toolkit_test::TestEffect(audioMaster))->getAeffect();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

TEST_EXPORT AEffect* VST_CALL VSTPluginMain(audioMasterCallback audioMaster) { return createEffect(audioMaster); }
