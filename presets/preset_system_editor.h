// The editor side of the preset system. It exists from the construction of the effect to its
// destruction, whether or not a window is open: it writes and reads the record blobs (for the
// host chunk, the preset and bank files and the stored programs), keeps the remembered folder
// and file names, and reaches the per-user store. While the window is open it also keeps the
// preset bar, the row of fourteen controls along the window's bottom edge, and reacts to them.
//
// The window's editor derives from this class: it creates the frame, then calls open, which
// adds the preset bar to that frame; its own valueChanged, close and idle call these first.
//
// Threads: the host may call the chunk requests and rename the program on any thread, and the
// readers then report to the preset bar. Reports made on the thread that opened the window
// update the controls at once; reports from other threads are kept and shown by the next idle.
// Everything else runs on the UI thread.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "presets/editor_hooks.h"
#include "presets/program.h"
#include "presets/record_blob.h"
#include "toolkit/ccontrol.h"
#include "toolkit/platform/iplatformframe.h"
#include "vst2/aeffguieditor.h"

class CPresetSystemEffect;
class CKorvanTextEdit;
class COptionMenu;
class CPSKickButton;
class CPSRockerSwitch;

class CPresetSystemEditor : public AEffGUIEditor, public CControlListener, public stellix::EffectEditorHooks {
 public:
  // Remembered folder and file names keep at most this many bytes.
  static constexpr std::size_t kMaxLocationBytes = 256;
  // Files and stored values larger than this are not ours and are not read.
  static constexpr std::size_t kMaxBlobBytes = 16 * 1024 * 1024;
  // The stored manual path keeps at most this many bytes.
  static constexpr std::size_t kMaxManualPathBytes = 1024;
  // The window.
  static constexpr int kWindowWidth = 524;
  static constexpr int kWindowHeight = 462;

  // The preset bar's control tags.
  enum Tag : std::int32_t {
    kNameField = 1000,
    kRocker = 1001,
    kLoadBank = 1002,
    kSaveBank = 1003,
    kLoadPreset = 1004,
    kSavePreset = 1005,
    kProgramMenu = 1012,
    kDefaultBank = 1013,
    kDefaultPreset = 1014,
    kStoreMemoA = 1015,
    kStoreMemoB = 1016,
    kRecallMemoA = 1017,
    kRecallMemoB = 1018,
    kManual = 1019,
  };

  // The editor registers itself with effect, which owns it from then on. Without an effect
  // every operation does nothing.
  explicit CPresetSystemEditor(CPresetSystemEffect* effect);
  // Closes a window still open, then writes the remembered locations to the store.
  ~CPresetSystemEditor() override;

  // ---- The window [UI thread]

  // Adds the preset bar to the frame the derived editor made, from the bank as it is now;
  // false, and nothing built, without a frame or an effect. The derived editor opens the
  // frame's window.
  bool open(void* parentWindow) override;
  // Forgets the preset bar, then releases the frame (and every view in it).
  void close() override;
  // Shows what other threads reported, then the frame's idle.
  void idle() override;
  // The preset bar's reaction to its controls; other tags are left to the derived editor.
  void valueChanged(CControl* control) override;
  // Opens the user manual named by the stored "ManualPath"; a failure shows a message box.
  virtual void openManual();

  // The preset bar's controls while the window is open, else null.
  CControl* presetBarControl(std::int32_t tag) const;
  CKorvanTextEdit* nameField() const { return nameField_; }
  COptionMenu* programMenu() const { return programMenu_; }

  // ---- Effect hooks

  // [the effect's construction]
  void applyStoredDefaults() override { loadStoredDefaults(); }
  // [any thread]
  void setLatency(int samples) override { latency_.store(samples, std::memory_order_relaxed); }
  int latency() const noexcept { return latency_.load(std::memory_order_relaxed); }
  // [any thread] The host renamed the current program: the name field and the menu's
  // current entry show name.
  void showProgramName(const char* name) override;

  // ---- Blobs, files and the store [the caller's thread: the host's for the chunk, the UI
  // thread for the bar's files, memories and defaults, the effect's construction for the
  // start-up reads]

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

  // [UI thread] The file dialogs ("Load preset", "Save bank", ...) starting in the remembered
  // folder, then the file operations below on the chosen file. False when the dialog was
  // cancelled or the operation failed.
  virtual bool loadPresetFile(bool reversed);
  virtual bool savePresetFile();
  virtual bool loadBankFile(bool reversed);
  virtual bool saveBankFile();
  // Files, by path in the platform's file-name encoding. The path also becomes the
  // remembered folder and file name. Saving replaces the file only once the whole blob is
  // written. The "reversed" loads invert the byte-order decision.
  virtual bool savePresetFile(const std::string& path);
  virtual bool saveBankFile(const std::string& path);
  virtual bool loadPresetFile(const std::string& path, bool reversed);
  virtual bool loadBankFile(const std::string& path, bool reversed);
  // A path given as a literal would otherwise pick the dialog overloads.
  bool loadPresetFile(const char* path) = delete;
  bool loadBankFile(const char* path) = delete;
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
  // The preset bar follows the readers (any thread; nothing while the window is closed).
  virtual void programMenuEntryNamed(int index, const char* name);
  virtual void programMenuCurrentEntry(int index);
  virtual void nameFieldShows(const char* name);
  virtual void redrawWindow();

  // The shell and the message box of openManual; tests replace them. parent is the window's
  // native handle, or null.
  virtual OpenDocumentResult openDocumentWithShell(void* parent, const std::string& utf8Path);
  virtual void showMessage(void* parent, const std::string& caption, const std::string& text);

  CPresetSystemEffect* presetEffect_;

 private:
  enum class BlobKind { Preset, Bank };
  // What other threads asked of the preset bar, shown by the next idle.
  struct PendingBar {
    std::array<std::optional<std::string>, stellix::kNumPrograms> entryNames;
    std::optional<int> currentEntry;
    std::optional<std::string> currentEntryName;
    std::optional<std::string> fieldText;
    bool redraw = false;
  };

  bool loadBlob(const std::uint8_t* data, std::size_t size, bool reverse, BlobKind kind);
  bool loadStored(const std::uint8_t* data, std::size_t size, BlobKind kind);
  bool loadStoredValue(const char* name, BlobKind kind);
  bool storeValue(const char* name, const std::vector<std::uint8_t>& blob);
  void clearValue(const char* name);
  void finishPresetLoad(int target);
  void finishBankLoad(int current);
  void rememberPath(const std::string& path, std::string& fileName);
  stellix::blob::SkipMask skippedOnSave() const;
  // Runs the file dialog; the chosen path in the file-name encoding.
  bool chooseFile(bool save, bool bank, const char* title, std::string& path);

  void buildPresetBar();
  void forgetPresetBar();
  void* nativeWindow() const;
  // Whether the preset bar may be touched from this thread now; otherwise pending_ takes it.
  bool onWindowThread() const;
  void applyPending();
  void setEntryTitle(int index, const std::string& name);
  void setCurrentEntryTitle(const std::string& name);
  void setFieldText(const std::string& name);
  // The reactions to the rocker and the menu.
  void stepProgram(float direction);
  void chooseProgram(float menuValue);
  void renameFromField();

  std::string folder_;
  std::string presetFile_;
  std::string bankFile_;
  std::atomic<int> latency_{0};

  // The preset bar (UI thread); the frame owns the controls.
  CKorvanTextEdit* nameField_ = nullptr;
  COptionMenu* programMenu_ = nullptr;
  CPSRockerSwitch* rocker_ = nullptr;
  std::array<CControl*, 11> buttons_{};
  CPSKickButton* manualButton_ = nullptr;

  mutable std::mutex pendingMutex_;
  bool barOpen_ = false;          // guarded by pendingMutex_
  std::thread::id windowThread_;  // guarded by pendingMutex_
  PendingBar pending_;            // guarded by pendingMutex_
};
