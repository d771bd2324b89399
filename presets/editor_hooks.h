// What the effect side tells the editor side. The editor implements these; until an
// editor exists the effect talks to nobody.
#pragma once

namespace stellix {

class EffectEditorHooks {
 public:
  virtual ~EffectEditorHooks() = default;
  // A parameter changed (from the host, the editor itself or a program load).
  virtual void parameterChanged(int /*index*/, float /*value*/) {}
  // The current program was renamed by the host; text holds up to 24 characters.
  virtual void showProgramName(const char* /*text*/) {}
  // Applies the user's stored defaults (default bank, default preset, locations).
  virtual void applyStoredDefaults() {}
  // The latency in samples, for the information screen.
  virtual void setLatency(int /*samples*/) {}
};

}  // namespace stellix
