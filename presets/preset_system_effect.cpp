#include "presets/preset_system_effect.h"

#include <cstring>

using stellix::kNumParams;
using stellix::kNumPrograms;
using stellix::ProgramRecord;

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback audioMaster, VstInt32 numPrograms,
                                         VstInt32 numParams)
    : AudioEffectX(audioMaster, numPrograms, numParams),
      bank_(new ProgramRecord[kNumPrograms]()),
      chunkBuffer_(new std::uint8_t[kChunkBytes]()),
      chunkWork_(new std::uint8_t[kChunkWorkBytes]()) {
  programsAreChunks(true);
  fillFactoryPrograms();
  defaultProgram_ = bank_[0];
}

CPresetSystemEffect::~CPresetSystemEffect() = default;

void CPresetSystemEffect::setParameter(VstInt32 index, float value) {
  if (index >= 0 && index < kNumParams) bank_[currentProgram_].values[index] = value;
}

void CPresetSystemEffect::setProgramName(char* name) {
  char text[stellix::kProgramNameBytes + 1] = {};
  if (name) {
    std::size_t n = 0;
    while (n < static_cast<std::size_t>(stellix::kProgramNameBytes) && name[n] != '\0') ++n;
    std::memcpy(text, name, n);
  }
  stellix::setRecordName(bank_[currentProgram_], text);
  if (editorHooks_) editorHooks_->showProgramName(text);
}

void CPresetSystemEffect::getProgramName(char* name) {
  if (name) stellix::readRecordName(bank_[currentProgram_], name);
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
  if (!text || index < 0 || index >= kNumPrograms) return false;
  stellix::readRecordName(bank_[index], text);
  return true;
}

void CPresetSystemEffect::selectProgram(int index) {
  if (index < 0 || index >= kNumPrograms) return;
  applying_ = true;
  curProgram = 0;
  currentProgram_ = index;
  // Parameters go in index order: the layout version (last) converts older values.
  const ProgramRecord program = bank_[index];
  for (int i = 0; i < kNumParams; ++i) setParameter(i, program.values[i]);
  updateDisplay();
  beginEdit(0);
  endEdit(0);
  applying_ = false;
}

void CPresetSystemEffect::renameCurrentProgram(const char* name) {
  curProgram = 0;
  if (name) stellix::setRecordName(bank_[currentProgram_], name);
  updateDisplay();
}

void CPresetSystemEffect::resetProgram(int index) {
  if (index >= 0 && index < kNumPrograms) bank_[index] = defaultProgram_;
}

void CPresetSystemEffect::captureDefaultProgram() {
  defaultProgram_ = bank_[0];
  if (editorHooks_) editorHooks_->applyStoredDefaults();
}

void CPresetSystemEffect::fillFactoryPrograms() { stellix::fillFactoryBank(bank_.get()); }
