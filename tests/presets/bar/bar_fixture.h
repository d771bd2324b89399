// The preset bar in a headless window: the effect with its own empty per-user store, a host
// callback that logs what the effect asks, and an editor that makes its frame on the real
// background (bitmap 128) the way the window's editor does, with the shell, the message box
// and the file dialog replaced by doubles.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/plugin.h"
#include "presets/ckorvantextedit.h"
#include "presets/cpskickbutton.h"
#include "presets/cpsrockerswitch.h"
#include "presets/csaveloadbutton.h"
#include "presets/preset_system_editor.h"
#include "tests/support/temp_config.h"
#include "toolkit/cbitmap.h"
#include "toolkit/cframe.h"
#include "toolkit/cnewfileselector.h"
#include "toolkit/controls/coptionmenu.h"
#include "toolkit/platform/headless/headless_frame.h"

namespace presetbar_test {

using Log = std::vector<std::string>;

// Host callback opcodes, in order (one log for the whole process: one fixture at a time).
inline std::vector<VstInt32>& hostCalls() {
  static std::vector<VstInt32> calls;
  return calls;
}

inline VstIntPtr VST_CALL loggingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  hostCalls().push_back(opcode);
  return opcode == audioMasterVersion ? 2400 : 0;
}

inline bool hostWasCalled(VstInt32 opcode) {
  for (VstInt32 c : hostCalls())
    if (c == opcode) return true;
  return false;
}

class TestBarEditor : public CPresetSystemEditor {
 public:
  explicit TestBarEditor(CPresetSystemEffect* effect) : CPresetSystemEditor(effect) {}

  // As the window's editor will: the frame on the background first, then the preset bar,
  // then the window.
  bool open(void* parentWindow) override {
    frame = std::make_unique<CFrame>(CRect(0, 0, kWindowWidth, kWindowHeight), this);
    frame->setBackground(loadBitmap(128));
    if (!CPresetSystemEditor::open(parentWindow) || !frame->open(parentWindow)) {
      close();
      return false;
    }
    return true;
  }

  OpenDocumentResult openDocumentWithShell(void*, const std::string& path) override {
    shellPaths.push_back(path);
    return shellAnswer;
  }
  void showMessage(void*, const std::string& caption, const std::string& text) override {
    messages.push_back(caption + " | " + text);
  }

  OpenDocumentResult shellAnswer = OpenDocumentResult::Opened;
  Log shellPaths;
  Log messages;
};

// Puts a TestBarEditor in the place of the effect's own editor side.
inline TestBarEditor* replaceEditor(Plugin& plugin) {
  CPresetSystemEditor* old = &plugin.presetSystemEditor();
  auto* editor = new TestBarEditor(&plugin);  // registers itself with the effect, which owns it
  plugin.setPresetEditor(editor);
  delete old;
  return editor;
}

// What the file dialog double was asked, and what it answers.
struct DialogDouble {
  std::vector<FileSelectorRequest> requests;
  std::optional<std::string> answer;  // empty: cancelled
  std::function<void()> whileOpen;    // runs while the dialog is "open"

  DialogDouble() {
    CNewFileSelector::setRunnerForTesting([this](const FileSelectorRequest& request, std::string& path) {
      requests.push_back(request);
      if (whileOpen) whileOpen();
      if (!answer) return false;
      path = *answer;
      return true;
    });
  }
  ~DialogDouble() { CNewFileSelector::setRunnerForTesting(nullptr); }
  DialogDouble(const DialogDouble&) = delete;
  DialogDouble& operator=(const DialogDouble&) = delete;
};

inline CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

// The effect with its editor and the window open on program `program`.
struct BarFixture {
  stellix::testing::TempConfigHome home;
  HeadlessPlatformScope platforms;
  DialogDouble dialog;
  std::unique_ptr<Plugin> plugin;
  TestBarEditor* editor = nullptr;
  std::unique_ptr<HeadlessFrame> host;

  explicit BarFixture(int program = 0, bool openWindow = true) {
    hostCalls().clear();
    plugin = std::make_unique<Plugin>(loggingHost);
    editor = replaceEditor(*plugin);
    plugin->selectProgram(program);
    if (openWindow) open();
  }
  ~BarFixture() { host.reset(); }

  void open() {
    ASSERT_TRUE(editor->open(nullptr));
    host = std::make_unique<HeadlessFrame>(*editor->getFrame());
    host->idle();
    hostCalls().clear();
  }
  void close() {
    host.reset();
    editor->close();
  }

  CFrame& frame() { return *editor->getFrame(); }
  CControl* control(std::int32_t tag) { return editor->presetBarControl(tag); }
  CPoint at(std::int32_t tag) { return centre(control(tag)->getViewSize()); }
  void click(std::int32_t tag, const CButtonState& buttons = kLButton) { host->click(at(tag), buttons); }
  std::string path(const char* name) const { return (home.root() / name).string(); }
  std::string programName(int index) const {
    return std::string(plugin->bank()[index].name, strnlen(plugin->bank()[index].name, 24));
  }
  std::string fieldText() { return editor->nameField()->getText(); }
  std::string menuTitle(int index) { return editor->programMenu()->getEntry(index)->getTitle(); }
};

}  // namespace presetbar_test
