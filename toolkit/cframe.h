// The top-level view container, bound to a window of the host. It keeps the window's pixels
// in a framebuffer, draws what is dirty on its idle, and routes the platform's input to its
// views: a press to the topmost view under the pointer (which then captures the pointer
// until the release when it handles the press), enter and exit as the pointer moves, the
// wheel to the view under the pointer, keys to the focus view. While a modal view is set it
// receives every mouse and wheel event instead.
//
// Everything runs on the UI thread; only the views' dirty flags are touched by other threads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "toolkit/cviewcontainer.h"
#include "toolkit/pixelbuffer.h"
#include "toolkit/platform/iplatformframe.h"

class CVSTGUITimer;
class VSTGUIEditorInterface;

class CFrame : public CViewContainer, public IPlatformFrameCallback {
 public:
  // size gives the window's width and height; the frame's own rectangle is always at (0, 0).
  CFrame(const CRect& size, VSTGUIEditorInterface* editor);
  // Closes the window and destroys every view.
  ~CFrame() override;

  // Creates the window as a child of parent (HWND, or X11 window id cast to a pointer) and
  // shows the whole frame. Answers false when no window could be made.
  virtual bool open(void* parent);
  // Binds the frame to a platform frame made elsewhere (headless tests) and shows it.
  virtual void attach(std::unique_ptr<IPlatformFrame> platform);
  // Destroys the window; the views stay until the frame is destroyed.
  virtual void close();
  bool isOpen() const { return platform_ != nullptr; }
  IPlatformFrame* getPlatformFrame() const { return platform_.get(); }
  // Lets tests open frames without a window system: while set, open() asks this function
  // instead of createPlatformFrame.
  using PlatformFactory =
      std::function<std::unique_ptr<IPlatformFrame>(void* parent, const CRect& size, IPlatformFrameCallback* callback)>;
  static void setPlatformFactoryForTesting(PlatformFactory factory);

  // Pumps the window system's events, fires due timers and draws what is dirty.
  virtual void idle();
  // Draws every dirty view and every area invalidated since the last call, and shows them.
  void redrawDirty();
  // Draws the whole frame now.
  void redrawAll();
  // Draws area (frame coordinates) into the framebuffer without showing it.
  void drawArea(const CRect& area);
  // Asks for area (frame coordinates) to be drawn again on the next idle (UI thread only:
  // views moved, hidden or removed).
  void invalidRect(const CRect& area);

  const PixelBuffer& getFramebuffer() const { return framebuffer_; }
  // The frame's drawing of area as it is now, e.g. to show behind a text box.
  PixelBuffer copyPixels(const CRect& area) const;

  VSTGUIEditorInterface* getEditor() const { return editor_; }
  CFrame* getFrame() const override { return const_cast<CFrame*>(this); }

  // Milliseconds of the system tick, or the tick set by a test.
  std::uint32_t getTicks() const;
  void setTicksForTesting(std::optional<std::uint32_t> ticks) { testTicks_ = ticks; }

  // The view that takes every mouse and wheel event while set (null: normal routing).
  virtual void setModalView(CView* view);
  CView* getModalView() const { return modalView_; }
  // The view that receives the keys. A change tells the old view looseFocus and the new one
  // takeFocus.
  virtual void setFocusView(CView* view);
  CView* getFocusView() const { return focusView_; }
  // The view holding the pointer after a handled press, and the one under the pointer.
  CView* getMouseCaptureView() const { return captureView_; }
  CView* getMouseOverView() const { return mouseOverView_; }

  // Event routing; where is in frame coordinates. Subclasses may adjust it.
  virtual CMouseEventResult routeMouseDown(const CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult routeMouseUp(const CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult routeMouseMoved(const CPoint& where, const CButtonState& buttons);
  virtual void routeMouseExited(const CPoint& where, const CButtonState& buttons);
  virtual bool routeWheel(const CPoint& where, float distance, const CButtonState& buttons);
  virtual bool routeKeyDown(const CKeyEvent& key);
  // The topmost visible, mouse-enabled view under where (frame coordinates), searched into
  // containers; null over the bare frame.
  virtual CView* findMouseTarget(const CPoint& where) const;

  // Called by containers before a view leaves the tree: forgets it wherever the frame keeps
  // it (capture, pointer, focus, modal view).
  void viewWillBeRemoved(CView* view);
  // Keeps object alive until the event being handled is over (destroys it at once when no
  // event is being handled).
  void releaseLater(std::shared_ptr<void> object);

  // IPlatformFrameCallback
  const PixelBuffer& platformFramebuffer() override { return framebuffer_; }
  void platformOnMouseDown(const CPoint& where, const CButtonState& buttons) override;
  void platformOnMouseUp(const CPoint& where, const CButtonState& buttons) override;
  void platformOnMouseMoved(const CPoint& where, const CButtonState& buttons) override;
  void platformOnMouseExited(const CPoint& where, const CButtonState& buttons) override;
  void platformOnWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
  bool platformOnKeyDown(const CKeyEvent& key) override;
  void platformOnFocusLost() override;
  void platformOnTimer() override;

 protected:
  // Converts where (frame coordinates) into the coordinates view receives events in.
  static CPoint toViewPoint(const CView* view, const CPoint& where);
  // Moves the pointer-over view to view, telling the old one it was left first.
  void setMouseOverView(CView* view, const CPoint& where, const CButtonState& buttons);

 private:
  friend class CVSTGUITimer;
  // Counts nested event handling; objects given to releaseLater die when it returns to 0.
  class DispatchScope;
  void fireTimers();
  void collectDirty(CViewContainer& container, std::vector<CRect>& rects);
  void setCapture(CView* view);

  VSTGUIEditorInterface* editor_;
  std::unique_ptr<IPlatformFrame> platform_;
  PixelBuffer framebuffer_;
  std::vector<CRect> invalidRects_;
  std::optional<std::uint32_t> testTicks_;

  CView* modalView_ = nullptr;
  CView* focusView_ = nullptr;
  CView* captureView_ = nullptr;
  CView* mouseOverView_ = nullptr;

  std::vector<CVSTGUITimer*> timers_;
  int dispatchDepth_ = 0;
  std::vector<std::shared_ptr<void>> releasePool_;
};
