// The exported entry: one function under the names VSTPluginMain and main.
#include <type_traits>

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
// Windows exports the same entry as "main" through the module definition file (exports.def).
#if !defined(_WIN64)
// 32-bit hosts call the entry, the callback and every function of the record as __cdecl.
using CdeclEntry = AEffect*(__cdecl*)(audioMasterCallback);
static_assert(std::is_same_v<decltype(&VSTPluginMain), CdeclEntry>);
static_assert(std::is_same_v<audioMasterCallback,
                             VstIntPtr(__cdecl*)(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)>);
static_assert(std::is_same_v<AEffectDispatcherProc,
                             VstIntPtr(__cdecl*)(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)>);
static_assert(std::is_same_v<AEffectProcessProc, void(__cdecl*)(AEffect*, float**, float**, VstInt32)>);
static_assert(std::is_same_v<AEffectProcessDoubleProc, void(__cdecl*)(AEffect*, double**, double**, VstInt32)>);
static_assert(std::is_same_v<AEffectSetParameterProc, void(__cdecl*)(AEffect*, VstInt32, float)>);
static_assert(std::is_same_v<AEffectGetParameterProc, float(__cdecl*)(AEffect*, VstInt32)>);
static_assert(sizeof(AEffect) == 144);
#endif
#else
// Older hosts look up the symbol "main"; it must not clash with a program's main.
STELLIX_EXPORT AEffect* VST_CALL stellixLegacyMain(audioMasterCallback audioMaster) __asm__("main");
AEffect* VST_CALL stellixLegacyMain(audioMasterCallback audioMaster) { return createEffect(audioMaster); }
#endif
