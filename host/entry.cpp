// The exported entry: one function under the names VSTPluginMain and main.
#include "host/plugin.h"

#if defined(_WIN32)
#define STELLIX_EXPORT extern "C" __declspec(dllexport)
#else
#define STELLIX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

AEffect* createEffect(audioMasterCallback audioMaster) {
  if (!audioMaster) return nullptr;
  // A host that answers 0 to the version question cannot load the plug-in.
  if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  try {
    return (new Plugin(audioMaster))->getAeffect();
  } catch (...) {
    return nullptr;  // no memory for the effect or its buffers: no effect for the host
  }
}

}  // namespace

STELLIX_EXPORT AEffect* VST_CALL VSTPluginMain(audioMasterCallback audioMaster) { return createEffect(audioMaster); }

#if defined(_WIN32)
// Windows exports the same entry as "main" through the module definition file.
#else
// Older hosts look up the symbol "main"; it must not clash with a program's main.
STELLIX_EXPORT AEffect* VST_CALL stellixLegacyMain(audioMasterCallback audioMaster) __asm__("main");
AEffect* VST_CALL stellixLegacyMain(audioMasterCallback audioMaster) { return createEffect(audioMaster); }
#endif
