// The editor side of the preset system. It exists from the construction of the effect to its
// destruction, whether or not a window is open: it writes and reads the record blobs (for the
// host chunk, the preset and bank files and the stored programs), keeps the remembered folder
// and file names, and reaches the per-user store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "presets/editor_hooks.h"
#include "presets/record_blob.h"

class CPresetSystemEffect;

class CPresetSystemEditor : public stellix::EffectEditorHooks {
 public:
  // Remembered folder and file names keep at most this many bytes.
  static constexpr std::size_t kMaxLocationBytes = 256;
  // Files and stored values larger than this are not ours and are not read.
  static constexpr std::size_t kMaxBlobBytes = 16 * 1024 * 1024;

  explicit CPresetSystemEditor(CPresetSystemEffect& effect);
  // Writes the remembered locations to the store.
  ~CPresetSystemEditor() override;
  CPresetSystemEditor(const CPresetSystemEditor&) = delete;
  CPresetSystemEditor& operator=(const CPresetSystemEditor&) = delete;

  void applyStoredDefaults() override { loadStoredDefaults(); }
  void setLatency(int samples) override { latency_ = samples; }
  int latency() const noexcept { return latency_; }

  // Blobs: the whole bank, or the current program. Empty when no memory was left.
  virtual std::vector<std::uint8_t> writeBank() const;
  virtual std::vector<std::uint8_t> writePreset() const;
  // The readers answer true when they loaded and applied the data, false when they changed
  // nothing (a negative record count, an invalid value that undid the load, entries that do
  // not fit into the data). Only bytes within size are read.
  virtual bool readBankRecords(const std::uint8_t* records, std::size_t size, const stellix::blob::Header& header,
                               bool reverse);
  virtual bool readPresetRecords(const std::uint8_t* records, std::size_t size, const stellix::blob::Header& header,
                                 bool reverse);
  virtual bool readLegacyBank(const std::uint8_t* entries, std::size_t size, bool reverse, int programs,
                              std::size_t valuesPerProgram);
  virtual bool readLegacyPreset(const std::uint8_t* entry, std::size_t size, bool reverse, std::size_t values);

  // Files. The path also becomes the remembered folder and file name. Saving replaces the file
  // only once the whole blob is written. The "reversed" loads invert the byte-order decision.
  virtual bool savePresetFile(const std::string& path);
  virtual bool saveBankFile(const std::string& path);
  virtual bool loadPresetFile(const std::string& path, bool reversed);
  virtual bool loadBankFile(const std::string& path, bool reversed);
  // A file's content as the file loaders read it. A bank file always ends on program 0.
  bool loadPresetData(const std::uint8_t* data, std::size_t size, bool reversed);
  bool loadBankData(const std::uint8_t* data, std::size_t size, bool reversed);

  // The per-user store.
  virtual void loadStoredDefaults();
  virtual bool loadDefaultBank();
  virtual bool storeDefaultBank();
  virtual void clearDefaultBank();
  virtual bool loadDefaultPreset();
  virtual bool storeDefaultPreset();
  virtual void clearDefaultPreset();
  virtual bool storeMemoA();
  virtual bool storeMemoB();
  virtual bool recallMemoA();
  virtual bool recallMemoB();
  virtual void saveLocations() const;
  virtual void loadLocations();
  // A stored value's content as the store loaders read it (no endian-reversed variant).
  bool loadStoredBank(const std::uint8_t* data, std::size_t size);
  bool loadStoredPreset(const std::uint8_t* data, std::size_t size);

  const std::string& folder() const noexcept { return folder_; }
  const std::string& presetFileName() const noexcept { return presetFile_; }
  const std::string& bankFileName() const noexcept { return bankFile_; }

 protected:
  // The preset bar of the window follows the readers; nothing to do while there is none.
  virtual void programMenuEntryNamed(int /*index*/, const char* /*name*/) {}
  virtual void programMenuCurrentEntry(int /*index*/) {}
  virtual void nameFieldShows(const char* /*name*/) {}
  virtual void redrawWindow() {}

  CPresetSystemEffect& effect_;

 private:
  enum class BlobKind { Preset, Bank };
  bool loadBlob(const std::uint8_t* data, std::size_t size, bool reverse, BlobKind kind);
  bool loadStored(const std::uint8_t* data, std::size_t size, BlobKind kind);
  bool loadStoredValue(const char* name, BlobKind kind);
  bool storeValue(const char* name, const std::vector<std::uint8_t>& blob);
  void clearValue(const char* name);
  void finishPresetLoad(int target);
  void finishBankLoad(int current);
  void rememberPath(const std::string& path, std::string& fileName);
  stellix::blob::SkipMask skippedOnSave() const;

  std::string folder_;
  std::string presetFile_;
  std::string bankFile_;
  int latency_ = 0;
};
