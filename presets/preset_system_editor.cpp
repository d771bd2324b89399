#include "presets/preset_system_editor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/user_store.h"
#include "presets/preset_system_effect.h"
#include "presets/store_names.h"

using stellix::kNumParams;
using stellix::kNumPrograms;
using stellix::kProgramNameBytes;
using stellix::ProgramRecord;
using stellix::UserStoreKey;
namespace blob = stellix::blob;
namespace store = stellix::store;

namespace {

using Bank = std::array<ProgramRecord, kNumPrograms>;

// Cuts text to the remembered-location limit without splitting a UTF-8 sequence.
std::string cutLocation(std::string text) {
  if (text.size() <= CPresetSystemEditor::kMaxLocationBytes) return text;
  std::size_t n = CPresetSystemEditor::kMaxLocationBytes;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  text.resize(n);
  return text;
}

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
  // Read only: loading never changes the file.
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> result;
  try {
    std::vector<std::uint8_t> data;
    std::uint8_t buffer[16384];
    std::size_t n;
    bool tooLarge = false;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
      if (data.size() + n > CPresetSystemEditor::kMaxBlobBytes) {
        tooLarge = true;
        break;
      }
      data.insert(data.end(), buffer, buffer + n);
    }
    if (!tooLarge && !std::ferror(f)) result = std::move(data);
  } catch (...) {
    result.reset();
  }
  std::fclose(f);
  return result;
}

void nameText(const ProgramRecord& p, char (&text)[kProgramNameBytes + 1]) { stellix::readRecordName(p, text); }

}  // namespace

CPresetSystemEditor::CPresetSystemEditor(CPresetSystemEffect& effect) : effect_(effect) {
  // The folder starts as the current one; the stored locations replace it at start-up.
  std::error_code ec;
  const auto cwd = std::filesystem::current_path(ec);
  if (!ec) folder_ = cutLocation(cwd.string());
}

CPresetSystemEditor::~CPresetSystemEditor() { saveLocations(); }

blob::SkipMask CPresetSystemEditor::skippedOnSave() const {
  blob::SkipMask skipped{};
  for (int i = 0; i < kNumParams; ++i) skipped[i] = effect_.isParameterSkippedOnSave(i);
  return skipped;
}

std::vector<std::uint8_t> CPresetSystemEditor::writeBank() const {
  try {
    return blob::writeBank(effect_.bank(), effect_.getCurrentProgramIndex(), effect_.getUniqueId(), skippedOnSave());
  } catch (...) {
    return {};
  }
}

std::vector<std::uint8_t> CPresetSystemEditor::writePreset() const {
  try {
    return blob::writePreset(effect_.bank()[effect_.getCurrentProgramIndex()], effect_.getUniqueId(), skippedOnSave());
  } catch (...) {
    return {};
  }
}

bool CPresetSystemEditor::readBankRecords(const std::uint8_t* records, std::size_t size, const blob::Header& header,
                                          bool reverse) {
  if (header.recordCount < 0) return false;
  const int current = header.currentProgram >= 0 && header.currentProgram < kNumPrograms ? header.currentProgram : 0;
  ProgramRecord* bank = effect_.bank();
  Bank kept;
  std::copy(bank, bank + kNumPrograms, kept.begin());

  blob::RecordReader reader(records, size, reverse);
  blob::Record r;
  for (std::int32_t i = 0; i < header.recordCount && reader.next(r); ++i) {
    if (r.program < 0 || r.program >= kNumPrograms) continue;
    ProgramRecord& target = bank[r.program];
    if (r.type == blob::kNameRecord) {
      const char* name = blob::recordName(r);
      if (!name) continue;
      effect_.resetProgram(r.program);
      std::memcpy(target.name, name, kProgramNameBytes);
      char text[kProgramNameBytes + 1];
      nameText(target, text);
      programMenuEntryNamed(r.program, text);
    } else if (r.type == blob::kValueRecord) {
      std::int32_t index;
      float value;
      if (!blob::recordValue(r, reverse, index, value) || index < 0 || index >= kNumParams) continue;
      if (!blob::isValidValue(value)) {
        std::copy(kept.begin(), kept.end(), bank);
        return false;
      }
      target.values[index] = value;
    }
  }
  finishBankLoad(current);
  return true;
}

bool CPresetSystemEditor::readPresetRecords(const std::uint8_t* records, std::size_t size, const blob::Header& header,
                                            bool reverse) {
  if (header.recordCount < 0) return false;
  const int t = effect_.getCurrentProgramIndex();
  ProgramRecord& target = effect_.bank()[t];
  const ProgramRecord kept = target;
  effect_.resetProgram(t);

  blob::RecordReader reader(records, size, reverse);
  blob::Record r;
  for (std::int32_t i = 0; i < header.recordCount && reader.next(r); ++i) {
    if (r.type == blob::kNameRecord) {
      const char* name = blob::recordName(r);
      if (!name) continue;
      std::memcpy(target.name, name, kProgramNameBytes);
      char text[kProgramNameBytes + 1];
      nameText(target, text);
      programMenuEntryNamed(t, text);
    } else if (r.type == blob::kValueRecord) {
      std::int32_t index;
      float value;
      if (!blob::recordValue(r, reverse, index, value) || index < 0 || index >= kNumParams) continue;
      if (!blob::isValidValue(value)) {
        target = kept;
        return false;
      }
      target.values[index] = value;
    }
  }
  finishPresetLoad(t);
  return true;
}

bool CPresetSystemEditor::readLegacyPreset(const std::uint8_t* entry, std::size_t size, bool reverse,
                                           std::size_t values) {
  const std::size_t used = std::min<std::size_t>(values, kNumParams);
  if (!entry || size < blob::kLegacyNameBytes + 4 * used) return false;
  const int t = effect_.getCurrentProgramIndex();
  ProgramRecord& target = effect_.bank()[t];
  const ProgramRecord kept = target;
  effect_.resetProgram(t);
  std::memcpy(target.name, entry, kProgramNameBytes);
  for (std::size_t j = 0; j < used; ++j) {
    if (effect_.isParameterSkippedOnLoad(static_cast<int>(j))) continue;
    const float v = blob::legacyValue(entry, j, reverse);
    if (!blob::isValidValue(v)) {
      target = kept;
      return false;
    }
    target.values[j] = v;
  }
  finishPresetLoad(t);
  return true;
}

bool CPresetSystemEditor::readLegacyBank(const std::uint8_t* entries, std::size_t size, bool reverse, int programs,
                                         std::size_t valuesPerProgram) {
  const int count = std::clamp(programs, 0, kNumPrograms);
  const std::size_t used = std::min<std::size_t>(valuesPerProgram, kNumParams);
  // Entries lie 24 + 4 n bytes apart, whatever part of them is used.
  if (valuesPerProgram > size / 4) return false;
  const std::size_t stride = blob::kLegacyNameBytes + 4 * valuesPerProgram;
  if (!entries || (count > 0 && size / static_cast<std::size_t>(count) < stride)) return false;

  ProgramRecord* bank = effect_.bank();
  Bank kept;
  std::copy(bank, bank + kNumPrograms, kept.begin());
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* entry = entries + static_cast<std::size_t>(i) * stride;
    effect_.resetProgram(i);
    std::memcpy(bank[i].name, entry, kProgramNameBytes);
    char text[kProgramNameBytes + 1];
    nameText(bank[i], text);
    programMenuEntryNamed(i, text);
    for (std::size_t j = 0; j < used; ++j) {
      if (effect_.isParameterSkippedOnLoad(static_cast<int>(j))) continue;
      const float v = blob::legacyValue(entry, j, reverse);
      if (!blob::isValidValue(v)) {
        std::copy(kept.begin(), kept.end(), bank);
        return false;
      }
      bank[i].values[j] = v;
    }
  }
  finishBankLoad(0);
  return true;
}

void CPresetSystemEditor::finishPresetLoad(int target) {
  char text[kProgramNameBytes + 1];
  nameText(effect_.bank()[target], text);
  nameFieldShows(text);
  programMenuEntryNamed(target, text);
  effect_.renameCurrentProgram(text);
  effect_.selectProgram(target);
}

void CPresetSystemEditor::finishBankLoad(int current) {
  char text[kProgramNameBytes + 1];
  nameText(effect_.bank()[current], text);
  programMenuCurrentEntry(current);
  nameFieldShows(text);
  effect_.selectProgram(current);
}

// Dispatches on the type byte; data holds at least the unique ID and the type.
bool CPresetSystemEditor::loadBlob(const std::uint8_t* data, std::size_t size, bool reverse, BlobKind kind) {
  const std::uint8_t type = data[4];
  const std::uint8_t legacyType = kind == BlobKind::Bank ? blob::kLegacyBankType : blob::kLegacyPresetType;
  const std::uint8_t recordType = kind == BlobKind::Bank ? blob::kBankType : blob::kPresetType;
  if (type == legacyType) {
    const std::uint8_t* entries = data + blob::kIdAndTypeBytes;
    const std::size_t bytes = size - blob::kIdAndTypeBytes;
    blob::LegacyEntries layout;
    if (!blob::legacyEntries(bytes, kind == BlobKind::Bank ? kNumPrograms : 1, layout)) return false;
    return kind == BlobKind::Preset ? readLegacyPreset(entries, bytes, reverse, layout.values)
                                    : readLegacyBank(entries, bytes, reverse, kNumPrograms, layout.values);
  }
  if (type == recordType) {
    if (size < blob::kHeaderBytes) return false;
    const blob::Header header = blob::readHeader(data, reverse);
    // The records are as many bytes as the header says, as far as the data reaches.
    const std::size_t bytes =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(header.recordBytes, 0)), size - blob::kHeaderBytes);
    const std::uint8_t* records = data + blob::kHeaderBytes;
    return kind == BlobKind::Bank ? readBankRecords(records, bytes, header, reverse)
                                  : readPresetRecords(records, bytes, header, reverse);
  }
  return false;
}

bool CPresetSystemEditor::loadPresetData(const std::uint8_t* data, std::size_t size, bool reversed) {
  if (!data || size < blob::kIdAndTypeBytes) return false;
  const blob::ByteOrder order = blob::byteOrderOf(data, effect_.getUniqueId());
  if (order == blob::ByteOrder::Foreign) return false;
  return loadBlob(data, size, (order == blob::ByteOrder::Reversed) != reversed, BlobKind::Preset);
}

bool CPresetSystemEditor::loadBankData(const std::uint8_t* data, std::size_t size, bool reversed) {
  if (!data || size < blob::kIdAndTypeBytes) return false;
  const blob::ByteOrder order = blob::byteOrderOf(data, effect_.getUniqueId());
  if (order == blob::ByteOrder::Foreign) return false;
  const bool loaded = loadBlob(data, size, (order == blob::ByteOrder::Reversed) != reversed, BlobKind::Bank);
  // A bank from a file always ends on program 0, whatever its header names.
  finishBankLoad(0);
  return loaded;
}

void CPresetSystemEditor::rememberPath(const std::string& path, std::string& fileName) {
  std::size_t split = path.size();
  while (split > 0 && !isSeparator(path[split - 1])) --split;
  folder_ = cutLocation(path.substr(0, split));
  fileName = cutLocation(path.substr(split));
}

bool CPresetSystemEditor::savePresetFile(const std::string& path) {
  if (path.empty()) return false;
  rememberPath(path, presetFile_);
  const auto data = writePreset();
  return !data.empty() && stellix::writeFileAtomically(path, data.data(), data.size());
}

bool CPresetSystemEditor::saveBankFile(const std::string& path) {
  if (path.empty()) return false;
  rememberPath(path, bankFile_);
  const auto data = writeBank();
  return !data.empty() && stellix::writeFileAtomically(path, data.data(), data.size());
}

bool CPresetSystemEditor::loadPresetFile(const std::string& path, bool reversed) {
  if (path.empty()) return false;
  rememberPath(path, presetFile_);
  const auto data = readWholeFile(path);
  if (!data) return false;
  const bool loaded = loadPresetData(data->data(), data->size(), reversed);
  redrawWindow();
  return loaded;
}

bool CPresetSystemEditor::loadBankFile(const std::string& path, bool reversed) {
  if (path.empty()) return false;
  rememberPath(path, bankFile_);
  const auto data = readWholeFile(path);
  if (!data) return false;
  const bool loaded = loadBankData(data->data(), data->size(), reversed);
  redrawWindow();
  return loaded;
}

void CPresetSystemEditor::loadStoredDefaults() {
  loadDefaultBank();
  effect_.selectProgram(0);
  loadDefaultPreset();
  loadLocations();
}

bool CPresetSystemEditor::loadStored(const std::uint8_t* data, std::size_t size, BlobKind kind) {
  if (!data || size < blob::kIdAndTypeBytes) return false;
  const blob::ByteOrder order = blob::byteOrderOf(data, effect_.getUniqueId());
  if (order == blob::ByteOrder::Foreign) return false;
  return loadBlob(data, size, order == blob::ByteOrder::Reversed, kind);
}

bool CPresetSystemEditor::loadStoredBank(const std::uint8_t* data, std::size_t size) {
  return loadStored(data, size, BlobKind::Bank);
}

bool CPresetSystemEditor::loadStoredPreset(const std::uint8_t* data, std::size_t size) {
  return loadStored(data, size, BlobKind::Preset);
}

bool CPresetSystemEditor::loadStoredValue(const char* name, BlobKind kind) {
  std::vector<std::uint8_t> data;
  try {
    const auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Read);
    if (!key) return false;
    const auto size = key->valueSize(name);
    if (!size || *size < blob::kIdAndTypeBytes || *size > kMaxBlobBytes) return false;
    data.resize(*size);
    const auto got = key->readBinary(name, data.data(), data.size());
    if (!got) return false;
    data.resize(*got);
  } catch (...) {
    return false;
  }
  return loadStored(data.data(), data.size(), kind);
}

bool CPresetSystemEditor::storeValue(const char* name, const std::vector<std::uint8_t>& blob) {
  if (blob.empty()) return false;
  const auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Write);
  return key && key->writeBinary(name, blob.data(), blob.size());
}

void CPresetSystemEditor::clearValue(const char* name) {
  if (const auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::DeleteValues)) key->deleteValue(name);
}

bool CPresetSystemEditor::loadDefaultBank() { return loadStoredValue(store::kDefaultBank, BlobKind::Bank); }
bool CPresetSystemEditor::storeDefaultBank() { return storeValue(store::kDefaultBank, writeBank()); }
void CPresetSystemEditor::clearDefaultBank() { clearValue(store::kDefaultBank); }
bool CPresetSystemEditor::loadDefaultPreset() { return loadStoredValue(store::kDefaultPreset, BlobKind::Preset); }
bool CPresetSystemEditor::storeDefaultPreset() { return storeValue(store::kDefaultPreset, writePreset()); }
void CPresetSystemEditor::clearDefaultPreset() { clearValue(store::kDefaultPreset); }
bool CPresetSystemEditor::storeMemoA() { return storeValue(store::kMemoA, writePreset()); }
bool CPresetSystemEditor::storeMemoB() { return storeValue(store::kMemoB, writePreset()); }
bool CPresetSystemEditor::recallMemoA() { return loadStoredValue(store::kMemoA, BlobKind::Preset); }
bool CPresetSystemEditor::recallMemoB() { return loadStoredValue(store::kMemoB, BlobKind::Preset); }

void CPresetSystemEditor::saveLocations() const {
  try {
    const auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Write);
    if (!key) return;
    key->writeString(store::kCurrDir, folder_);
    key->writeString(store::kCurrBank, bankFile_);
    key->writeString(store::kCurrPreset, presetFile_);
  } catch (...) {
    // The locations are not kept this time.
  }
}

void CPresetSystemEditor::loadLocations() {
  folder_.clear();
  bankFile_.clear();
  presetFile_.clear();
  const auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Read);
  if (!key) return;
  if (auto s = key->readString(store::kCurrDir)) folder_ = cutLocation(std::move(*s));
  if (auto s = key->readString(store::kCurrBank)) bankFile_ = cutLocation(std::move(*s));
  if (auto s = key->readString(store::kCurrPreset)) presetFile_ = cutLocation(std::move(*s));
}
