// What the toolkit asks of the editor that owns a frame: controls announce the start and end
// of a user gesture on a parameter through it (the host then groups the changes into one
// undo step and knows the user holds the control).
#pragma once

#include <cstdint>

class CFrame;

class VSTGUIEditorInterface {
 public:
  virtual ~VSTGUIEditorInterface() = default;
  // index is the control's tag.
  virtual void beginEdit(std::int32_t index) = 0;
  virtual void endEdit(std::int32_t index) = 0;
  virtual CFrame* getFrame() const = 0;
};
