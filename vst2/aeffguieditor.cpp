#include "vst2/aeffguieditor.h"

#include "vst2/audioeffect.h"

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {}

AEffGUIEditor::~AEffGUIEditor() { frame.reset(); }

bool AEffGUIEditor::open(void* parentWindow) { return AEffEditor::open(parentWindow); }

void AEffGUIEditor::close() {
  frame.reset();
  AEffEditor::close();
}

void AEffGUIEditor::idle() {
  if (frame) frame->idle();
}

bool AEffGUIEditor::isParameter(std::int32_t index) const {
  return effect_ && index >= 0 && index < effect_->getAeffect()->numParams;
}

void AEffGUIEditor::beginEdit(std::int32_t index) {
  if (isParameter(index)) effect_->beginEdit(index);
}

void AEffGUIEditor::endEdit(std::int32_t index) {
  if (isParameter(index)) effect_->endEdit(index);
}
