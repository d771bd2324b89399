// Editor base: the window side of an effect. The host reaches it through the dispatcher.
#pragma once

#include "vst2/aeffect.h"

class AudioEffect;

class AEffEditor {
 public:
  // Registers the editor with its effect, which then reports that it has an editor.
  explicit AEffEditor(AudioEffect* effect);
  virtual ~AEffEditor() = default;
  AEffEditor(const AEffEditor&) = delete;
  AEffEditor& operator=(const AEffEditor&) = delete;

  // Hands out the editor's rectangle; answers 1 when there is one.
  virtual bool getRect(ERect** rect);
  // Remembers the parent window; answers true when the window opened.
  virtual bool open(void* parentWindow);
  // Forgets the parent window.
  virtual void close();
  virtual bool isOpen() const { return systemWindow_ != nullptr; }
  // Periodic work while the window is open.
  virtual void idle() {}
  virtual bool onKeyDown(VstInt32 /*character*/, VstIntPtr /*virtualKey*/, float /*modifiers*/) { return false; }
  virtual bool onKeyUp(VstInt32 /*character*/, VstIntPtr /*virtualKey*/, float /*modifiers*/) { return false; }
  virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }

  AudioEffect* getEffect() const { return effect_; }

 protected:
  AudioEffect* effect_;
  void* systemWindow_ = nullptr;
  ERect rect_{0, 0, 0, 0};
};
