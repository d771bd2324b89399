// The plug-in with its window open in a headless frame: the effect with its own empty per-user
// store, a host callback that logs the automation, gesture and display calls, meter readings
// the test chooses, and the window driven through the frame at ticks the test sets.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin.h"
#include "tests/support/temp_config.h"
#include "toolkit/cframe.h"
#include "toolkit/platform/headless/headless_frame.h"
#include "ui/editor.h"

namespace editor_test {

using Log = std::vector<std::string>;

// What the effect told the host: "automate <index> <value>", "begin <index>", "end <index>",
// "update display". One log for the process: one fixture at a time.
inline Log& hostLog() {
  static Log log;
  return log;
}

inline VstIntPtr VST_CALL recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
  char text[64];
  switch (opcode) {
    case audioMasterAutomate:
      std::snprintf(text, sizeof text, "automate %d %.4f", static_cast<int>(index), static_cast<double>(opt));
      break;
    case audioMasterBeginEdit: std::snprintf(text, sizeof text, "begin %d", static_cast<int>(index)); break;
    case audioMasterEndEdit: std::snprintf(text, sizeof text, "end %d", static_cast<int>(index)); break;
    case audioMasterUpdateDisplay: std::snprintf(text, sizeof text, "update display"); break;
    default: return opcode == audioMasterVersion ? 2400 : 0;
  }
  hostLog().push_back(text);
  return 0;
}

// Host calls other than the display refresh.
inline Log parameterCalls() {
  Log calls;
  for (const std::string& c : hostLog())
    if (c != "update display") calls.push_back(c);
  return calls;
}

// The effect with readings chosen by the test instead of the engine's.
class MeteredPlugin : public Plugin {
 public:
  MeteredPlugin() : Plugin(recordingHost) {}
  void getMeterSnapshot(float out[kValues]) override {
    ++snapshots;
    for (int i = 0; i < kValues; ++i) out[i] = readings[static_cast<std::size_t>(i)];
  }

  // Silence: no level, no gain reduction.
  std::array<float, kValues> readings{0, 0, 0, 0, 0, 0, 0, 0, 1, 1};
  int snapshots = 0;
};

// Any non-null pointer: the headless platform ignores the parent window.
inline void* const kParentWindow = reinterpret_cast<void*>(0x1);

inline CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

struct EditorFixture {
  stellix::testing::TempConfigHome home;
  HeadlessPlatformScope platforms;
  std::unique_ptr<MeteredPlugin> plugin;
  Editor* editor = nullptr;
  std::unique_ptr<HeadlessFrame> host;

  // storeSetUp runs on the empty store before the effect is made.
  explicit EditorFixture(bool openWindow = true,
                         const std::function<void(stellix::testing::TempConfigHome&)>& storeSetUp = {}) {
    if (storeSetUp) storeSetUp(home);
    hostLog().clear();
    plugin = std::make_unique<MeteredPlugin>();
    editor = dynamic_cast<Editor*>(&plugin->presetSystemEditor());
    if (openWindow) open();
  }
  ~EditorFixture() {
    host.reset();
    plugin.reset();
  }

  // Opens the window at tick 1000 and runs one idle there.
  void open() {
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->open(kParentWindow));
    host = std::make_unique<HeadlessFrame>(*editor->getFrame());
    idleAt(1000);
    hostLog().clear();
  }
  void close() {
    host.reset();
    editor->close();
  }

  // The host's idle call at tick t.
  void idleAt(std::uint32_t t) {
    host->setTicks(t);
    editor->idle();
  }

  const Editor::Controls& c() const { return editor->controls(); }
  CFrame& frame() { return *editor->getFrame(); }
  const PixelBuffer& pixels() const { return host->pixels(); }
  void click(const CControl* control, const CButtonState& buttons = kLButton) {
    host->click(centre(control->getViewSize()), buttons);
  }
  float parameter(int index) { return plugin->getParameter(index); }
};

}  // namespace editor_test
