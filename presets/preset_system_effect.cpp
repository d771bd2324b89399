#include "presets/preset_system_effect.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "presets/preset_system_editor.h"
#include "presets/record_blob.h"

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
  if (index >= 0 && index < kNumParams)
    std::atomic_ref<float>(bank_[currentProgram_].values[index]).store(value, std::memory_order_relaxed);
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
  // The values are read as atomically as parameter changes on other threads write them.
  ProgramRecord program;
  std::memcpy(program.name, bank_[index].name, sizeof program.name);
  for (int i = 0; i < kNumParams; ++i)
    program.values[i] = std::atomic_ref<float>(bank_[index].values[i]).load(std::memory_order_relaxed);
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

void CPresetSystemEffect::setPresetEditor(CPresetSystemEditor* editor) noexcept {
  presetEditor_ = editor;
  editorHooks_ = editor;
}

VstInt32 CPresetSystemEffect::getChunk(void** data, bool /*isPreset*/) {
  namespace blob = stellix::blob;
  if (!data) return 0;
  std::uint8_t* chunk = chunkBuffer_.get();
  std::memset(chunk, 0, kChunkBytes);
  if (!presetEditor_) return 0;
  const auto bank = presetEditor_->writeBank();
  if (bank.empty() || bank.size() > kChunkBytes - blob::kChunkHeadBytes) return 0;
  blob::putChunkHead(chunk, getUniqueId());
  std::memcpy(chunk + blob::kChunkHeadBytes, bank.data(), bank.size());
  *data = chunk;
  return static_cast<VstInt32>(bank.size() + blob::kChunkHeadBytes);
}

VstInt32 CPresetSystemEffect::setChunk(void* data, VstInt32 byteSize, bool /*isPreset*/) {
  namespace blob = stellix::blob;
  if (!data || byteSize < static_cast<VstInt32>(blob::kChunkHeadBytes)) return -1;
  const auto* p = static_cast<const std::uint8_t*>(data);
  const std::size_t size = static_cast<std::size_t>(byteSize);
  const blob::ByteOrder order = blob::byteOrderOf(p + 4, getUniqueId());
  if (order == blob::ByteOrder::Foreign) return -1;
  const bool reverse = order == blob::ByteOrder::Reversed;
  const std::int32_t tag = blob::loadInt(p, reverse);
  if (tag == blob::kChunkTag) {
    const std::size_t headerEnd = blob::kChunkHeadBytes + blob::kHeaderBytes;
    if (!presetEditor_ || size < headerEnd) return -1;
    // The header is read into a copy: the host's data is never changed.
    const blob::Header header = blob::readHeader(p + blob::kChunkHeadBytes, reverse);
    return presetEditor_->readBankRecords(p + headerEnd, size - headerEnd, header, reverse) ? 0 : -1;
  }
  if (tag == blob::kLegacyChunkTag) return readLegacyChunk(p, size, reverse) ? 0 : -1;
  return -1;
}

// The older chunk: a 32-byte head (tag, unique ID, program count, current program, four
// unused fields) and raw program entries, a name and float values each.
bool CPresetSystemEffect::readLegacyChunk(const std::uint8_t* data, std::size_t size, bool reverse) {
  namespace blob = stellix::blob;
  if (size < blob::kLegacyChunkHeadBytes) return false;
  const std::int32_t programs = blob::loadInt(data + 8, reverse);
  const std::int32_t current = blob::loadInt(data + 12, reverse);
  if (programs <= 0) return false;
  blob::LegacyEntries layout;
  if (!blob::legacyEntries(size - blob::kLegacyChunkHeadBytes, static_cast<std::size_t>(programs), layout))
    return false;
  const int count = std::min<std::int32_t>(programs, kNumPrograms);
  const int used = static_cast<int>(std::min<std::size_t>(layout.values, kNumParams));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* entry = data + blob::kLegacyChunkHeadBytes + static_cast<std::size_t>(i) * layout.stride;
    resetProgram(i);
    std::memcpy(bank_[i].name, entry, stellix::kProgramNameBytes);
    // Stored as they are; the parameter layer limits what it takes from them.
    for (int j = 0; j < used; ++j)
      if (!isParameterSkippedOnLoad(j))
        bank_[i].values[j] = blob::legacyValue(entry, static_cast<std::size_t>(j), reverse);
  }
  selectProgram(current >= 0 && current < kNumPrograms ? current : 0);
  return true;
}
