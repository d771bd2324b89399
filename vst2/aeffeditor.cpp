#include "vst2/aeffeditor.h"

#include "vst2/audioeffect.h"

AEffEditor::AEffEditor(AudioEffect* effect) : effect_(effect) {
  if (effect_) effect_->setEditor(this);
}

bool AEffEditor::getRect(ERect** rect) {
  if (!rect) return false;
  *rect = &rect_;
  return true;
}

bool AEffEditor::open(void* parentWindow) {
  systemWindow_ = parentWindow;
  return true;
}

void AEffEditor::close() { systemWindow_ = nullptr; }
