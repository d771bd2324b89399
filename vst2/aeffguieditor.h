// The editor base of effects whose window is built with the toolkit: it owns the frame while
// the window is open, passes the controls' edit gestures to the host, and drives the frame
// from the host's idle calls. OLE is held for the calling thread as long as the editor lives.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ole.h"
#include "toolkit/cframe.h"
#include "toolkit/vstguieditorinterface.h"
#include "vst2/aeffeditor.h"

class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
 public:
  explicit AEffGUIEditor(AudioEffect* effect);
  // Destroys a frame still open.
  ~AEffGUIEditor() override;

  // Remembers the parent window; subclasses then create the frame (frame->open(parent)).
  bool open(void* parentWindow) override;
  // Destroys the frame and its views.
  void close() override;
  // The frame's idle: its window's events, timers, and the redraw of what changed.
  void idle() override;

  // Host callbacks 43 and 44 through the effect, for parameter indices only (controls with
  // other tags, such as buttons that are no parameter, start no host gesture).
  void beginEdit(std::int32_t index) override;
  void endEdit(std::int32_t index) override;
  CFrame* getFrame() const override { return frame.get(); }

 protected:
  std::unique_ptr<CFrame> frame;

 private:
  bool isParameter(std::int32_t index) const;

  stellix::OleScope ole_;
};
