#include "presets/preset_system_editor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/native_text.h"
#include "platform/user_store.h"
#include "presets/ckorvantextedit.h"
#include "presets/cpskickbutton.h"
#include "presets/cpsrockerswitch.h"
#include "presets/csaveloadbutton.h"
#include "presets/preset_system_effect.h"
#include "presets/store_names.h"
#include "toolkit/cframe.h"
#include "toolkit/cnewfileselector.h"
#include "toolkit/controls/coptionmenu.h"

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

// The first bytes of text, at most n, without splitting a UTF-8 sequence.
std::string cutText(const std::string& text, std::size_t n) {
  if (text.size() <= n) return text;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

// ---- The preset bar's layout

constexpr int kBackgroundBitmap = 128;
constexpr int kRockerBitmap = 995;
constexpr int kRockerPictures = 5;
constexpr int kButtonPictures = 3;
// The program name: centred on this line, as high as the font plus two pixels each side.
constexpr CCoord kNameFieldLeft = 194;
constexpr CCoord kNameFieldRight = 318;
constexpr CCoord kNameFieldMiddle = (447 + 461) / 2;
constexpr CColor kNameBackColor(209, 227, 238, 255);
constexpr CColor kNameTextColor(36, 36, 32, 255);
constexpr CRect kProgramMenuRect(320, 448, 333, 460);
constexpr int kMenuEntriesPerColumn = 12;
constexpr CRect kRockerRect(340, 447, 370, 460);
// The name a program stores is cut to this many bytes first.
constexpr std::size_t kNameFieldBytes = 24;

enum class ButtonKind { SaveLoad, Kick, DoubleClickKick };
struct ButtonLayout {
  std::int32_t tag;
  ButtonKind kind;
  CRect rect;
  int bitmap;
};
// In the order the bar creates them.
constexpr ButtonLayout kButtons[] = {
    {CPresetSystemEditor::kLoadBank, ButtonKind::SaveLoad, CRect(72, 447, 89, 462), 990},
    {CPresetSystemEditor::kSaveBank, ButtonKind::SaveLoad, CRect(22, 447, 39, 462), 991},
    {CPresetSystemEditor::kDefaultBank, ButtonKind::DoubleClickKick, CRect(39, 447, 71, 460), 992},
    {CPresetSystemEditor::kLoadPreset, ButtonKind::SaveLoad, CRect(166, 447, 183, 462), 990},
    {CPresetSystemEditor::kSavePreset, ButtonKind::SaveLoad, CRect(104, 447, 121, 462), 991},
    {CPresetSystemEditor::kDefaultPreset, ButtonKind::DoubleClickKick, CRect(122, 447, 166, 460), 993},
    {CPresetSystemEditor::kRecallMemoA, ButtonKind::Kick, CRect(421, 447, 438, 462), 990},
    {CPresetSystemEditor::kStoreMemoA, ButtonKind::Kick, CRect(388, 447, 405, 462), 991},
    {CPresetSystemEditor::kRecallMemoB, ButtonKind::Kick, CRect(486, 447, 503, 462), 990},
    {CPresetSystemEditor::kStoreMemoB, ButtonKind::Kick, CRect(452, 447, 469, 462), 991},
    {CPresetSystemEditor::kManual, ButtonKind::Kick, CRect(510, 449, 521, 458), 989},
};
static_assert(std::size(kButtons) == 11);

}  // namespace

CPresetSystemEditor::CPresetSystemEditor(CPresetSystemEffect* effect) : AEffGUIEditor(effect), presetEffect_(effect) {
  rect_ = ERect{0, 0, kWindowHeight, kWindowWidth};
  // The folder starts as the current one; the stored locations replace it at start-up.
  std::error_code ec;
  const auto cwd = std::filesystem::current_path(ec);
  if (!ec) folder_ = cutLocation(cwd.string());
}

CPresetSystemEditor::~CPresetSystemEditor() {
  // The window goes while this object can still hear from its controls.
  CPresetSystemEditor::close();
  saveLocations();
}

blob::SkipMask CPresetSystemEditor::skippedOnSave() const {
  blob::SkipMask skipped{};
  for (int i = 0; i < kNumParams; ++i) skipped[i] = presetEffect_->isParameterSkippedOnSave(i);
  return skipped;
}

std::vector<std::uint8_t> CPresetSystemEditor::writeBank() const {
  if (!presetEffect_) return {};
  try {
    return blob::writeBank(presetEffect_->bank(), presetEffect_->getCurrentProgramIndex(), presetEffect_->getUniqueId(),
                           skippedOnSave());
  } catch (...) {
    return {};
  }
}

std::vector<std::uint8_t> CPresetSystemEditor::writePreset() const {
  if (!presetEffect_) return {};
  try {
    return blob::writePreset(presetEffect_->bank()[presetEffect_->getCurrentProgramIndex()],
                             presetEffect_->getUniqueId(), skippedOnSave());
  } catch (...) {
    return {};
  }
}

bool CPresetSystemEditor::readBankRecords(const std::uint8_t* records, std::size_t size, const blob::Header& header,
                                          bool reverse) {
  if (!presetEffect_ || header.recordCount < 0) return false;
  const int current = header.currentProgram >= 0 && header.currentProgram < kNumPrograms ? header.currentProgram : 0;
  ProgramRecord* bank = presetEffect_->bank();
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
      presetEffect_->resetProgram(r.program);
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
  if (!presetEffect_ || header.recordCount < 0) return false;
  const int t = presetEffect_->getCurrentProgramIndex();
  ProgramRecord& target = presetEffect_->bank()[t];
  const ProgramRecord kept = target;
  presetEffect_->resetProgram(t);

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
  if (!presetEffect_ || !entry || size < blob::kLegacyNameBytes + 4 * used) return false;
  const int t = presetEffect_->getCurrentProgramIndex();
  ProgramRecord& target = presetEffect_->bank()[t];
  const ProgramRecord kept = target;
  presetEffect_->resetProgram(t);
  std::memcpy(target.name, entry, kProgramNameBytes);
  for (std::size_t j = 0; j < used; ++j) {
    if (presetEffect_->isParameterSkippedOnLoad(static_cast<int>(j))) continue;
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
  if (!presetEffect_ || !entries || (count > 0 && size / static_cast<std::size_t>(count) < stride)) return false;

  ProgramRecord* bank = presetEffect_->bank();
  Bank kept;
  std::copy(bank, bank + kNumPrograms, kept.begin());
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* entry = entries + static_cast<std::size_t>(i) * stride;
    presetEffect_->resetProgram(i);
    std::memcpy(bank[i].name, entry, kProgramNameBytes);
    char text[kProgramNameBytes + 1];
    nameText(bank[i], text);
    programMenuEntryNamed(i, text);
    for (std::size_t j = 0; j < used; ++j) {
      if (presetEffect_->isParameterSkippedOnLoad(static_cast<int>(j))) continue;
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
  nameText(presetEffect_->bank()[target], text);
  nameFieldShows(text);
  programMenuEntryNamed(target, text);
  presetEffect_->renameCurrentProgram(text);
  presetEffect_->selectProgram(target);
}

void CPresetSystemEditor::finishBankLoad(int current) {
  char text[kProgramNameBytes + 1];
  nameText(presetEffect_->bank()[current], text);
  programMenuCurrentEntry(current);
  nameFieldShows(text);
  presetEffect_->selectProgram(current);
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
  if (!presetEffect_ || !data || size < blob::kIdAndTypeBytes) return false;
  const blob::ByteOrder order = blob::byteOrderOf(data, presetEffect_->getUniqueId());
  if (order == blob::ByteOrder::Foreign) return false;
  return loadBlob(data, size, (order == blob::ByteOrder::Reversed) != reversed, BlobKind::Preset);
}

bool CPresetSystemEditor::loadBankData(const std::uint8_t* data, std::size_t size, bool reversed) {
  if (!presetEffect_ || !data || size < blob::kIdAndTypeBytes) return false;
  const blob::ByteOrder order = blob::byteOrderOf(data, presetEffect_->getUniqueId());
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
  if (!presetEffect_) return;
  loadDefaultBank();
  presetEffect_->selectProgram(0);
  loadDefaultPreset();
  loadLocations();
}

bool CPresetSystemEditor::loadStored(const std::uint8_t* data, std::size_t size, BlobKind kind) {
  if (!presetEffect_ || !data || size < blob::kIdAndTypeBytes) return false;
  const blob::ByteOrder order = blob::byteOrderOf(data, presetEffect_->getUniqueId());
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

// ---- File dialogs

bool CPresetSystemEditor::chooseFile(bool save, bool bank, const char* title, std::string& path) {
  CNewFileSelector selector(frame.get(), save ? CNewFileSelector::kSelectSaveFile : CNewFileSelector::kSelectFile);
  selector.setTitle(title);
  selector.setInitialDirectory(stellix::utf8FromNative(folder_));
  if (save) selector.setDefaultSaveName(stellix::utf8FromNative(bank ? bankFile_ : presetFile_));
  selector.setDefaultExtension(bank ? CFileExtension("Korvan Bank", "kvb") : CFileExtension("Korvan Preset", "kvp"));
  if (!selector.runModal() || selector.getNumSelectedFiles() != 1) return false;
  path = stellix::nativeFromUtf8(selector.getSelectedFile(0));
  return !path.empty();
}

bool CPresetSystemEditor::loadPresetFile(bool reversed) {
  std::string path;
  if (!presetEffect_ || !chooseFile(false, false, reversed ? "Load preset (endian-reversed)" : "Load preset", path))
    return false;
  return loadPresetFile(path, reversed);
}

bool CPresetSystemEditor::savePresetFile() {
  std::string path;
  if (!presetEffect_ || !chooseFile(true, false, "Save preset", path)) return false;
  return savePresetFile(path);
}

bool CPresetSystemEditor::loadBankFile(bool reversed) {
  std::string path;
  if (!presetEffect_ || !chooseFile(false, true, reversed ? "Load bank (endian-reversed)" : "Load bank", path))
    return false;
  return loadBankFile(path, reversed);
}

bool CPresetSystemEditor::saveBankFile() {
  std::string path;
  if (!presetEffect_ || !chooseFile(true, true, "Save bank", path)) return false;
  return saveBankFile(path);
}

// ---- The user manual

void CPresetSystemEditor::openManual() {
  std::string path;
  if (const auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Read)) {
    if (auto stored = key->readString(store::kManualPath)) path = cutText(*stored, kMaxManualPathBytes);
  }
  void* owner = nativeWindow();
  switch (openDocumentWithShell(owner, stellix::utf8FromNative(path))) {
    case OpenDocumentResult::Opened: break;
    case OpenDocumentResult::NoAssociation:
      showMessage(owner, "Could not open manual file", "Make sure Acrobat Reader is installed");
      break;
    case OpenDocumentResult::Failed: showMessage(owner, "", "Could not open user manual"); break;
  }
  // A message box takes the release away from the button.
  if (manualButton_) manualButton_->releasePress();
}

OpenDocumentResult CPresetSystemEditor::openDocumentWithShell(void* parent, const std::string& utf8Path) {
  return openDocumentFor(parent, utf8Path);
}

void CPresetSystemEditor::showMessage(void* parent, const std::string& caption, const std::string& text) {
  showMessageBox(parent, caption, text);
}

void* CPresetSystemEditor::nativeWindow() const {
  IPlatformFrame* platform = frame ? frame->getPlatformFrame() : nullptr;
  return platform ? platform->getNativeHandle() : nullptr;
}

// ---- The window

bool CPresetSystemEditor::open(void* parentWindow) {
  if (!frame || !presetEffect_) return false;
  if (nameField_) return true;  // built already
  AEffGUIEditor::open(parentWindow);
  buildPresetBar();
  std::lock_guard<std::mutex> lock(pendingMutex_);
  pending_ = PendingBar{};
  windowThread_ = std::this_thread::get_id();
  barOpen_ = true;
  return true;
}

void CPresetSystemEditor::buildPresetBar() {
  const ProgramRecord* bank = presetEffect_->bank();
  const int current = std::clamp(presetEffect_->getCurrentProgramIndex(), 0, kNumPrograms - 1);
  char name[kProgramNameBytes + 1];
  const SharedBitmap background = loadBitmap(kBackgroundBitmap);

  const CCoord s = kNormalFont->getSize();
  const CRect fieldRect(kNameFieldLeft, kNameFieldMiddle - s / 2 - 2, kNameFieldRight, kNameFieldMiddle + s / 2 + 2);
  nameText(bank[current], name);
  nameField_ = new CKorvanTextEdit(fieldRect, this, kNameField, name, background);
  nameField_->setBackOffset(fieldRect.getTopLeft());
  nameField_->setBackColor(kNameBackColor);
  nameField_->setFont(kNormalFont);
  nameField_->setFontColor(kNameTextColor);
  nameField_->setFrameColor(kNameTextColor);
  nameField_->setHoriAlign(kCenterText);
  frame->addView(nameField_);

  // The menu draws nothing: the window's own picture shows its arrow.
  programMenu_ = new COptionMenu(kProgramMenuRect, this, kProgramMenu, background, kNoDrawStyle);
  programMenu_->setBackOffset(kProgramMenuRect.getTopLeft());
  programMenu_->setNbEntriesPerColumn(kMenuEntriesPerColumn);
  for (int i = 0; i < kNumPrograms; ++i) {
    nameText(bank[i], name);
    programMenu_->addEntry(name);
  }
  programMenu_->setCurrent(current);
  frame->addView(programMenu_);

  const SharedBitmap rockerStrip = loadBitmap(kRockerBitmap);
  rocker_ = new CPSRockerSwitch(kRockerRect, this, kRocker, rockerStrip->getHeight() / kRockerPictures, rockerStrip);
  frame->addView(rocker_);

  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    const ButtonLayout& b = kButtons[i];
    const SharedBitmap strip = loadBitmap(b.bitmap);
    const CCoord h = strip->getHeight() / kButtonPictures;
    CControl* button = nullptr;
    if (b.kind == ButtonKind::SaveLoad) {
      button = new CSaveLoadButton(b.rect, this, b.tag, h, strip);
    } else {
      auto* kick =
          new CPSKickButton(b.rect, this, b.tag, h, strip, CPoint(0, 0), b.kind == ButtonKind::DoubleClickKick);
      if (b.tag == kManual) manualButton_ = kick;
      button = kick;
    }
    buttons_[i] = button;
    frame->addView(button);
  }
}

void CPresetSystemEditor::forgetPresetBar() {
  nameField_ = nullptr;
  programMenu_ = nullptr;
  rocker_ = nullptr;
  manualButton_ = nullptr;
  buttons_.fill(nullptr);
}

void CPresetSystemEditor::close() {
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    barOpen_ = false;
    pending_ = PendingBar{};
  }
  forgetPresetBar();
  AEffGUIEditor::close();
}

void CPresetSystemEditor::idle() {
  applyPending();
  AEffGUIEditor::idle();
}

CControl* CPresetSystemEditor::presetBarControl(std::int32_t tag) const {
  if (tag == kNameField) return nameField_;
  if (tag == kProgramMenu) return programMenu_;
  if (tag == kRocker) return rocker_;
  for (std::size_t i = 0; i < std::size(kButtons); ++i)
    if (kButtons[i].tag == tag) return buttons_[i];
  return nullptr;
}

// ---- Reactions

void CPresetSystemEditor::valueChanged(CControl* control) {
  if (!presetEffect_ || !control) return;
  const float v = control->getValue();
  switch (control->getTag()) {
    case kNameField: renameFromField(); break;
    case kRocker: stepProgram(v); break;
    case kLoadBank: loadBankFile(v == 0.5f); break;
    case kSaveBank: saveBankFile(); break;
    case kLoadPreset: loadPresetFile(v == 0.5f); break;
    case kSavePreset: savePresetFile(); break;
    case kProgramMenu: chooseProgram(v); break;
    case kDefaultBank:
      if (v < 0.75f)
        clearDefaultBank();
      else
        storeDefaultBank();
      break;
    case kDefaultPreset:
      if (v < 0.75f)
        clearDefaultPreset();
      else
        storeDefaultPreset();
      break;
    case kStoreMemoA: storeMemoA(); break;
    case kStoreMemoB: storeMemoB(); break;
    case kRecallMemoA: recallMemoA(); break;
    case kRecallMemoB: recallMemoB(); break;
    case kManual: openManual(); break;
    default: break;
  }
}

void CPresetSystemEditor::renameFromField() {
  if (!nameField_) return;
  const std::string name = cutText(nameField_->getText(), kNameFieldBytes);
  nameField_->setText(name);
  setCurrentEntryTitle(name);
  presetEffect_->renameCurrentProgram(name.c_str());
}

void CPresetSystemEditor::stepProgram(float direction) {
  const int current = presetEffect_->getCurrentProgramIndex();
  int program;
  if (direction > 0.0f)
    program = std::min(current + 1, kNumPrograms - 1);
  else if (direction < 0.0f)
    program = std::max(current - 1, 0);
  else
    return;
  char name[kProgramNameBytes + 1];
  nameText(presetEffect_->bank()[program], name);
  if (programMenu_) programMenu_->setCurrent(program);
  setFieldText(name);
  presetEffect_->selectProgram(program);
  // Renaming with its own name refreshes the host's display of the names.
  presetEffect_->renameCurrentProgram(name);
}

void CPresetSystemEditor::chooseProgram(float menuValue) {
  // Clamped as a float first: a value of any size stays a valid index.
  const int index = static_cast<int>(std::clamp(menuValue + 0.5f, 0.0f, static_cast<float>(kNumPrograms - 1)));
  std::string title;
  if (programMenu_) {
    programMenu_->setCurrent(index);
    if (const CMenuItem* entry = programMenu_->getEntry(index)) title = entry->getTitle();
  }
  presetEffect_->selectProgram(index);
  presetEffect_->renameCurrentProgram(title.c_str());
  setFieldText(title);
}

// ---- The preset bar following the readers and the host

bool CPresetSystemEditor::onWindowThread() const {
  std::lock_guard<std::mutex> lock(pendingMutex_);
  return barOpen_ && windowThread_ == std::this_thread::get_id();
}

void CPresetSystemEditor::setEntryTitle(int index, const std::string& name) {
  if (!programMenu_) return;
  if (CMenuItem* entry = programMenu_->getEntry(index)) entry->setTitle(name);
}

void CPresetSystemEditor::setCurrentEntryTitle(const std::string& name) {
  if (programMenu_) setEntryTitle(programMenu_->getCurrent(), name);
}

void CPresetSystemEditor::setFieldText(const std::string& name) {
  if (nameField_) nameField_->setText(name);
}

void CPresetSystemEditor::programMenuEntryNamed(int index, const char* name) {
  if (index < 0 || index >= kNumPrograms || !name) return;
  if (onWindowThread()) return setEntryTitle(index, name);
  std::lock_guard<std::mutex> lock(pendingMutex_);
  if (barOpen_) pending_.entryNames[static_cast<std::size_t>(index)] = name;
}

void CPresetSystemEditor::programMenuCurrentEntry(int index) {
  if (index < 0 || index >= kNumPrograms) return;
  if (onWindowThread()) {
    if (programMenu_) programMenu_->setCurrent(index);
    return;
  }
  std::lock_guard<std::mutex> lock(pendingMutex_);
  if (barOpen_) pending_.currentEntry = index;
}

void CPresetSystemEditor::nameFieldShows(const char* name) {
  if (!name) return;
  if (onWindowThread()) return setFieldText(name);
  std::lock_guard<std::mutex> lock(pendingMutex_);
  if (barOpen_) pending_.fieldText = name;
}

void CPresetSystemEditor::redrawWindow() {
  if (onWindowThread()) {
    if (frame) frame->setDirty();
    return;
  }
  std::lock_guard<std::mutex> lock(pendingMutex_);
  if (barOpen_) pending_.redraw = true;
}

void CPresetSystemEditor::showProgramName(const char* name) {
  if (!name) return;
  const std::string text = cutText(name, kProgramNameBytes);
  if (onWindowThread()) {
    setFieldText(text);
    setCurrentEntryTitle(text);
    return;
  }
  std::lock_guard<std::mutex> lock(pendingMutex_);
  if (!barOpen_) return;
  pending_.fieldText = text;
  pending_.currentEntryName = text;
}

void CPresetSystemEditor::applyPending() {
  PendingBar work;
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    if (!barOpen_) return;
    std::swap(work, pending_);
  }
  for (int i = 0; i < kNumPrograms; ++i) {
    if (const auto& name = work.entryNames[static_cast<std::size_t>(i)]) setEntryTitle(i, *name);
  }
  if (work.currentEntry && programMenu_) programMenu_->setCurrent(*work.currentEntry);
  if (work.currentEntryName) setCurrentEntryTitle(*work.currentEntryName);
  if (work.fieldText) setFieldText(*work.fieldText);
  if (work.redraw && frame) frame->setDirty();
}
