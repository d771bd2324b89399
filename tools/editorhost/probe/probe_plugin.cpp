// A small VST 2.4 plug-in with an editor, for testing stellix-editorhost itself: two
// parameters, stereo pass-through, and the pattern editor of probe_editor.h.
// STELLIX_PROBE_MODE changes its behaviour for the host's other paths: "no-effect" (the entry
// answers null), "no-editor" (no editor flag), "refuse-open" (effEditOpen answers 0), "grow"
// (once open, the editor asks the host for kGrowX x kGrowY more pixels).
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tools/editorhost/probe/probe_editor.h"
#include "vst2/aeffect.h"

#ifdef _WIN32
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr VstInt32 kMasterSizeWindow = 15;

bool mode(const char* name) {
  const char* value = std::getenv("STELLIX_PROBE_MODE");
  return value && std::strcmp(value, name) == 0;
}

class Probe final : public probe::EditorOwner {
 public:
  explicit Probe(audioMasterCallback master) : master_(master) {
    std::memset(&effect_, 0, sizeof effect_);
    effect_.magic = kEffectMagic;
    effect_.dispatcher = &Probe::dispatch;
    effect_.setParameter = &Probe::setParameter;
    effect_.getParameter = &Probe::getParameter;
    effect_.processReplacing = &Probe::process;
    effect_.numPrograms = 1;
    effect_.numParams = 2;
    effect_.numInputs = 2;
    effect_.numOutputs = 2;
    effect_.flags = (mode("no-editor") ? 0 : effFlagsHasEditor) | effFlagsCanReplacing;
    effect_.object = this;
    effect_.uniqueID = fourCharConst("SxPr");
    effect_.version = 1;
    editor_.reset(probe::createEditor(*this));
  }

  AEffect* effect() { return &effect_; }

  float value0() const override { return values_[0].load(); }
  void beginEdit0() override { master_(&effect_, audioMasterBeginEdit, 0, 0, nullptr, 0.0f); }
  void automate0(float value) override {
    values_[0] = value;
    master_(&effect_, audioMasterAutomate, 0, 0, nullptr, value);
  }
  void endEdit0() override { master_(&effect_, audioMasterEndEdit, 0, 0, nullptr, 0.0f); }

 private:
  static Probe* self(AEffect* e) { return static_cast<Probe*>(e->object); }

  static VstIntPtr VST_CALL dispatch(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float) {
    Probe* p = self(e);
    switch (opcode) {
      case effClose: delete p; return 1;
      case effEditGetRect: *static_cast<ERect**>(ptr) = &p->rect_; return 1;
      case effEditOpen:
        if (mode("refuse-open") || !p->editor_ || !p->editor_->open(ptr)) return 0;
        if (mode("grow")) p->grow();
        return 1;
      case effEditClose:
        if (p->editor_) p->editor_->close();
        return 1;
      case effEditIdle:
        if (p->editor_) p->editor_->idle();
        return 1;
      case effGetParamName: std::strcpy(static_cast<char*>(ptr), index == 0 ? "Bar" : "Other"); return 1;
      default: return 0;
    }
  }

  static void VST_CALL setParameter(AEffect* e, VstInt32 index, float value) {
    Probe* p = self(e);
    if (index < 0 || index > 1) return;
    p->values_[index] = value;
    if (index == 0 && p->editor_) p->editor_->changed();
  }

  static float VST_CALL getParameter(AEffect* e, VstInt32 index) {
    return index >= 0 && index <= 1 ? self(e)->values_[index].load() : 0.0f;
  }

  static void VST_CALL process(AEffect*, float** in, float** out, VstInt32 frames) {
    for (int c = 0; c < 2; ++c) std::memmove(out[c], in[c], sizeof(float) * static_cast<std::size_t>(frames));
  }

  void grow() {
    const int width = probe::kWidth + probe::kGrowX, height = probe::kHeight + probe::kGrowY;
    if (master_(&effect_, kMasterSizeWindow, width, height, nullptr, 0.0f) != 1) return;
    rect_.right = static_cast<std::int16_t>(width);
    rect_.bottom = static_cast<std::int16_t>(height);
    editor_->resize(width, height);
  }

  AEffect effect_;
  ERect rect_{0, 0, probe::kHeight, probe::kWidth};
  audioMasterCallback master_;
  std::atomic<float> values_[2] = {0.25f, 0.5f};
  std::unique_ptr<probe::Editor> editor_;
};

}  // namespace

PROBE_EXPORT AEffect* VST_CALL VSTPluginMain(audioMasterCallback master) {
  if (!master || mode("no-effect")) return nullptr;
  return (new Probe(master))->effect();
}
