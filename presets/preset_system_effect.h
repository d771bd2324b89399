// The effect side of the preset system: the bank of 27 programs, the current program,
// the default program, program names for the host, and applying a program.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "presets/editor_hooks.h"
#include "presets/program.h"
#include "vst2/audioeffect.h"

class CPresetSystemEditor;

class CPresetSystemEffect : public AudioEffectX {
 public:
  static constexpr int kChunkBytes = 27049;
  static constexpr int kChunkWorkBytes = 3488;

  CPresetSystemEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
  ~CPresetSystemEffect() override;

  void resume() override {}
  // Stores value into the current program (indices 0..25; others are ignored).
  void setParameter(VstInt32 index, float value) override;
  VstInt32 getProgram() override { return 0; }
  void setProgram(VstInt32 /*program*/) override { curProgram = 0; }
  void setProgramName(char* name) override;
  void getProgramName(char* name) override;
  bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
  // The whole bank as a chunk in the effect's chunk buffer (valid until the next call); the
  // size, or 0 when there is no editor side to write it.
  VstInt32 getChunk(void** data, bool isPreset) override;
  // 0 when the chunk was loaded, -1 when it was refused and nothing changed.
  VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

  virtual int getCurrentProgramIndex() const { return currentProgram_; }
  // Makes index (0..26) the current program and sets every parameter from it.
  virtual void selectProgram(int index);
  virtual void renameCurrentProgram(const char* name);
  virtual VstInt32 getUniqueId() const { return cEffect.uniqueID; }
  virtual void resetProgram(int index);
  virtual bool isParameterSkippedOnSave(int index) const = 0;
  virtual bool isParameterSkippedOnLoad(int index) const = 0;
  virtual void captureDefaultProgram();
  virtual void fillFactoryPrograms();

  stellix::ProgramRecord* bank() noexcept { return bank_.get(); }
  const stellix::ProgramRecord* bank() const noexcept { return bank_.get(); }
  stellix::ProgramRecord& currentProgram() noexcept { return bank_[currentProgram_]; }
  const stellix::ProgramRecord& defaultProgram() const noexcept { return defaultProgram_; }
  bool isApplyingProgram() const noexcept { return applying_; }

  // The editor side, or null while there is none.
  void setEditorHooks(stellix::EffectEditorHooks* hooks) noexcept { editorHooks_ = hooks; }
  stellix::EffectEditorHooks* editorHooks() const noexcept { return editorHooks_; }
  // The editor side of the preset system, which writes and reads the chunk's bank blob; it
  // also becomes the editor hooks. Null detaches it.
  void setPresetEditor(CPresetSystemEditor* editor) noexcept;
  CPresetSystemEditor* presetEditor() const noexcept { return presetEditor_; }

 protected:
  std::unique_ptr<stellix::ProgramRecord[]> bank_;
  // Parameter changes from any thread read these and write the current program's values
  // (atomically), while the UI thread selects programs.
  std::atomic<int> currentProgram_{0};
  stellix::ProgramRecord defaultProgram_{};
  std::atomic<bool> applying_{false};
  std::unique_ptr<std::uint8_t[]> chunkBuffer_;
  std::unique_ptr<std::uint8_t[]> chunkWork_;
  stellix::EffectEditorHooks* editorHooks_ = nullptr;
  CPresetSystemEditor* presetEditor_ = nullptr;

 private:
  bool readLegacyChunk(const std::uint8_t* data, std::size_t size, bool reverse);
};
