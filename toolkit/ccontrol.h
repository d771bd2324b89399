// A view with a value: a tag (the parameter index for the editor's controls), a value between
// a minimum and a maximum, a default value, and a listener told when the user changes it.
//
// Threads: setValue, getValue and the dirty flag may be used from any thread (the editor
// stores parameter changes from the host's automation and audio threads); everything else
// belongs to the UI thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "toolkit/cview.h"

class CControl;

class CControlListener {
 public:
  virtual ~CControlListener() = default;
  // The user changed the control's value.
  virtual void valueChanged(CControl* control) = 0;
  // A gesture on the control starts and ends (a drag, a click, a text entry).
  virtual void controlBeginEdit(CControl* /*control*/) {}
  virtual void controlEndEdit(CControl* /*control*/) {}
};

class CControl : public CView {
 public:
  CControl(const CRect& size, CControlListener* listener = nullptr, std::int32_t tag = 0,
           const SharedBitmap& background = nullptr);
  // Ends a gesture still open (see removed).
  ~CControl() override;

  // Stores the value as it is (no bounds) and marks the control dirty when it changed.
  virtual void setValue(float value);
  virtual float getValue() const { return value_.load(std::memory_order_relaxed); }
  // The value as a fraction of min .. max (0 when the range is empty), and back.
  virtual void setValueNormalized(float normalized);
  virtual float getValueNormalized() const;
  // Holds the value inside min .. max.
  virtual void bounceValue();

  virtual void setMin(float value) { min_ = value; }
  float getMin() const { return min_; }
  virtual void setMax(float value) { max_ = value; }
  float getMax() const { return max_; }
  float getRange() const { return max_ - min_; }
  virtual void setDefaultValue(float value) { defaultValue_ = value; }
  float getDefaultValue() const { return defaultValue_; }
  // Step of one wheel notch, in value units.
  virtual void setWheelInc(float value) { wheelInc_ = value; }
  float getWheelInc() const { return wheelInc_; }
  // Where in the background bitmap the control's picture starts.
  virtual void setBackOffset(const CPoint& offset);
  const CPoint& getBackOffset() const { return backOffset_; }

  void setTag(std::int32_t tag) { tag_ = tag; }
  std::int32_t getTag() const { return tag_; }
  void setListener(CControlListener* listener) { listener_ = listener; }
  CControlListener* getListener() const { return listener_; }

  // Tells the listener.
  virtual void valueChanged();
  // A user gesture starts or ends: the listener and the frame's editor (beginEdit(tag)) are
  // told. Nested calls count; only the outermost pair reaches them.
  virtual void beginEdit();
  virtual void endEdit();
  bool isEditing() const { return editCount_ > 0; }

  // Control with the left button (and no other modifier) sets the default value as one
  // gesture (begin edit, value, valueChanged, end edit) and answers true; other presses
  // answer false.
  virtual bool checkDefaultValue(const CButtonState& buttons);

  // A control taken out of the frame in the middle of a gesture ends it, so that the host
  // is not left with an open edit.
  bool removed(CView* parent) override;

 protected:
  // Draws frame number frame (counted from 0) of a vertical strip of frames frameHeight
  // pixels tall, from the background bitmap, over the control's rectangle.
  void drawStripFrame(CDrawContext* context, int frame, CCoord frameHeight);

  CControlListener* listener_;
  std::int32_t tag_;
  float min_ = 0.0f;
  float max_ = 1.0f;
  float defaultValue_ = 0.5f;
  float wheelInc_ = 0.1f;
  CPoint backOffset_;

 private:
  std::atomic<float> value_{0.0f};
  int editCount_ = 0;
};
