// The base of everything drawn in a frame: a rectangle, drawing, mouse and key hooks, and a
// dirty flag that asks the frame to draw the view again.
//
// Coordinates: a view's size rectangle is in its parent's coordinates (the frame's direct
// children are in window coordinates). Mouse positions reach a view in the same system as
// its size rectangle, so where.x - getViewSize().left is the position inside the view.
//
// Threads: everything runs on the UI thread except setDirty, isDirty and invalid, which any
// thread may call (the host's automation and audio threads store values into controls and
// mark them dirty while the UI thread draws). The frame draws dirty views on its idle.
#pragma once

#include <atomic>

#include "toolkit/cbitmap.h"
#include "toolkit/cbuttonstate.h"
#include "toolkit/crect.h"

class CDrawContext;
class CFrame;
class CViewContainer;

class CView {
 public:
  explicit CView(const CRect& size);
  virtual ~CView();
  CView(const CView&) = delete;
  CView& operator=(const CView&) = delete;

  // Drawing, at the size rectangle, with the context's offset at the parent's origin.
  virtual void draw(CDrawContext* context);
  // Draws the part updateRect (parent coordinates, inside the size rectangle); by default
  // the whole view, the context being clipped to updateRect.
  virtual void drawRect(CDrawContext* context, const CRect& updateRect);

  // Mouse and keys. where is in the parent's coordinates. A press answered
  // kMouseEventHandled captures the pointer: the moves and the release go to this view
  // until the release, wherever the pointer is.
  virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
  // distance: +1 per notch up, -1 down. Answers whether the view used it.
  virtual bool onWheel(const CPoint& where, float distance, const CButtonState& buttons);
  // Keys reach the frame's focus view only.
  virtual bool onKeyDown(const CKeyEvent& key);
  // The view became, or stopped being, the frame's focus view.
  virtual void takeFocus() {}
  virtual void looseFocus() {}
  // Whether a press at where (parent coordinates) belongs to this view.
  virtual bool hitTest(const CPoint& where, const CButtonState& buttons = CButtonState());

  // Geometry (UI thread). Changing the size repaints the old and the new place.
  const CRect& getViewSize() const { return size_; }
  virtual void setViewSize(const CRect& size, bool invalidate = true);
  CCoord getWidth() const { return size_.getWidth(); }
  CCoord getHeight() const { return size_.getHeight(); }
  // The size rectangle in frame (window) coordinates.
  CRect getFrameRect() const;
  // Where the parent's origin lies in frame coordinates: add it to a point in this view's
  // coordinate system (that of its size rectangle) to get frame coordinates.
  CPoint getParentOriginInFrame() const;

  // The background bitmap: a plain view draws it over its rectangle; controls take their
  // frame strip from it.
  virtual void setBackground(const SharedBitmap& bitmap);
  const SharedBitmap& getBackground() const { return background_; }

  // An invisible view neither draws nor receives events; a view with the mouse disabled
  // draws but lets the pointer pass to what lies below it.
  virtual void setVisible(bool state);
  bool isVisible() const { return visible_; }
  virtual void setMouseEnabled(bool state) { mouseEnabled_ = state; }
  bool getMouseEnabled() const { return mouseEnabled_; }

  // The redraw request. Safe from any thread.
  virtual void setDirty(bool state = true) { dirty_.store(state, std::memory_order_release); }
  virtual bool isDirty() const { return dirty_.load(std::memory_order_acquire); }
  void invalid() { setDirty(true); }
  // Clears the dirty flag and answers whether it was set (the frame, before drawing).
  bool takeDirty() { return dirty_.exchange(false, std::memory_order_acq_rel); }

  // The frame this view is in (walks up the parents), or null.
  virtual CFrame* getFrame() const;
  CView* getParentView() const { return parent_; }
  bool isAttached() const { return parent_ != nullptr; }
  // The container added the view (parent) or is about to remove it. The hooks of
  // subclasses call these first.
  virtual bool attached(CView* parent);
  virtual bool removed(CView* parent);
  // Whether this view is ancestor itself or lies somewhere inside it.
  bool isSelfOrDescendantOf(const CView* ancestor) const;

  virtual CViewContainer* asViewContainer() { return nullptr; }

 protected:
  CRect size_;
  SharedBitmap background_;

 private:
  CView* parent_ = nullptr;
  bool visible_ = true;
  bool mouseEnabled_ = true;
  std::atomic<bool> dirty_{true};
};
