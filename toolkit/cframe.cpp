#include "toolkit/cframe.h"

#include <algorithm>
#include <utility>

#include "platform/tick.h"
#include "toolkit/cdrawcontext.h"
#include "toolkit/cvstguitimer.h"

namespace {

CFrame::PlatformFactory& platformFactory() {
  static CFrame::PlatformFactory factory;
  return factory;
}

}  // namespace

class CFrame::DispatchScope {
 public:
  explicit DispatchScope(CFrame& frame) : frame_(frame) { ++frame_.dispatchDepth_; }
  ~DispatchScope() {
    if (--frame_.dispatchDepth_ > 0) return;
    // Destroying one object may hand over others; they die at once now (depth 0).
    std::vector<std::shared_ptr<void>> pool;
    pool.swap(frame_.releasePool_);
  }
  DispatchScope(const DispatchScope&) = delete;
  DispatchScope& operator=(const DispatchScope&) = delete;

 private:
  CFrame& frame_;
};

CFrame::CFrame(const CRect& size, VSTGUIEditorInterface* editor)
    : CViewContainer(CRect(0, 0, std::max(0, size.getWidth()), std::max(0, size.getHeight()))),
      editor_(editor),
      framebuffer_(size_.getWidth(), size_.getHeight()) {
  backgroundColor_ = kBlackCColor;
}

CFrame::~CFrame() {
  close();
  for (CVSTGUITimer* timer : timers_) timer->frame_ = nullptr;
  timers_.clear();
  // The views go while the frame is still whole: their removal reaches back into it.
  dispatchDepth_ = 0;
  removeAll();
  while (!releasePool_.empty()) {
    std::vector<std::shared_ptr<void>> pool;
    pool.swap(releasePool_);
  }
}

void CFrame::setPlatformFactoryForTesting(PlatformFactory factory) { platformFactory() = std::move(factory); }

bool CFrame::open(void* parent) {
  if (platform_) return true;
  std::unique_ptr<IPlatformFrame> platform =
      platformFactory() ? platformFactory()(parent, size_, this) : createPlatformFrame(parent, size_, this);
  if (!platform) return false;
  attach(std::move(platform));
  return true;
}

void CFrame::attach(std::unique_ptr<IPlatformFrame> platform) {
  platform_ = std::move(platform);
  redrawAll();
}

void CFrame::close() {
  captureView_ = nullptr;
  platform_.reset();
}

std::uint32_t CFrame::getTicks() const { return testTicks_ ? *testTicks_ : stellix::tickCountMs(); }

// ---- drawing

void CFrame::drawArea(const CRect& area) {
  CDrawContext context(framebuffer_);
  context.setClipRect(area);
  CViewContainer::drawRect(&context, area);
}

void CFrame::invalidRect(const CRect& area) {
  if (!area.isEmpty()) invalidRects_.push_back(area);
}

void CFrame::collectDirty(CViewContainer& container, std::vector<CRect>& rects) {
  for (int i = 0; i < container.getNbViews(); ++i) {
    CView* child = container.getView(i);
    const bool dirty = child->takeDirty();
    // Hidden views are not drawn; their flags are still cleared, and showing them again
    // marks them dirty.
    if (dirty && child->isVisible()) rects.push_back(child->getFrameRect());
    if (CViewContainer* sub = child->asViewContainer()) collectDirty(*sub, rects);
  }
}

namespace {

// Drops rectangles that another one holds, so that no area is drawn twice.
void dropContained(std::vector<CRect>& rects) {
  std::vector<CRect> kept;
  for (const CRect& r : rects) {
    bool inside = false;
    for (const CRect& k : kept) {
      CRect common = r;
      if (common.bound(k) == r) {
        inside = true;
        break;
      }
    }
    if (inside) continue;
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&](const CRect& k) {
                                CRect common = k;
                                return common.bound(r) == k;
                              }),
               kept.end());
    kept.push_back(r);
  }
  rects.swap(kept);
}

}  // namespace

void CFrame::redrawDirty() {
  std::vector<CRect> rects;
  rects.swap(invalidRects_);
  const bool whole = takeDirty();
  collectDirty(*this, rects);
  if (whole) rects.assign(1, size_);
  for (CRect& r : rects) r.bound(size_);
  rects.erase(std::remove_if(rects.begin(), rects.end(), [](const CRect& r) { return r.isEmpty(); }), rects.end());
  dropContained(rects);
  for (const CRect& r : rects) {
    drawArea(r);
    if (platform_) platform_->invalidRect(r);
  }
}

void CFrame::redrawAll() {
  invalidRects_.clear();
  setDirty();
  redrawDirty();
}

PixelBuffer CFrame::copyPixels(const CRect& area) const {
  CRect r = area;
  r.bound(size_);
  PixelBuffer out(r.getWidth(), r.getHeight());
  for (int y = 0; y < out.height; ++y) std::copy_n(framebuffer_.row(r.top + y) + r.left, out.width, out.row(y));
  return out;
}

// ---- idle and timers

void CFrame::idle() {
  DispatchScope scope(*this);
  if (platform_) platform_->pumpEvents();
  fireTimers();
  redrawDirty();
}

void CFrame::platformOnTimer() {
  DispatchScope scope(*this);
  fireTimers();
  redrawDirty();
}

void CFrame::fireTimers() {
  if (timers_.empty()) return;
  const std::uint32_t now = getTicks();
  // A callback may start, stop or destroy timers: work on a copy and skip the ones gone.
  const std::vector<CVSTGUITimer*> timers = timers_;
  for (CVSTGUITimer* timer : timers) {
    if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end()) continue;
    timer->fireIfDue(now);
  }
}

void CFrame::releaseLater(std::shared_ptr<void> object) {
  if (dispatchDepth_ > 0) releasePool_.push_back(std::move(object));
}

// ---- routing

CPoint CFrame::toViewPoint(const CView* view, const CPoint& where) {
  const CPoint origin = view->getParentOriginInFrame();
  return CPoint(where.x - origin.x, where.y - origin.y);
}

CView* CFrame::findMouseTarget(const CPoint& where) const {
  const CViewContainer* container = this;
  CPoint p = where;
  for (;;) {
    CView* hit = container->getViewAt(p, true);
    if (!hit) return container == this ? nullptr : const_cast<CViewContainer*>(container);
    CViewContainer* sub = hit->asViewContainer();
    if (!sub) return hit;
    p.offset(-hit->getViewSize().left, -hit->getViewSize().top);
    container = sub;
  }
}

void CFrame::setCapture(CView* view) {
  if (view == captureView_) return;
  const bool had = captureView_ != nullptr;
  captureView_ = view;
  if (platform_ && had != (view != nullptr)) platform_->setMouseCapture(view != nullptr);
}

void CFrame::setMouseOverView(CView* view, const CPoint& where, const CButtonState& buttons) {
  if (view == mouseOverView_) return;
  CView* old = mouseOverView_;
  mouseOverView_ = view;
  if (old && old->getFrame() == this) {
    CPoint p = toViewPoint(old, where);
    old->onMouseExited(p, buttons);
  }
  // The exit handler may have moved the pointer-over view elsewhere, or removed this one.
  if (view && mouseOverView_ == view && view->getFrame() == this) {
    CPoint p = toViewPoint(view, where);
    view->onMouseEntered(p, buttons);
  }
}

CMouseEventResult CFrame::routeMouseDown(const CPoint& where, const CButtonState& buttons) {
  // A view still holding the pointer lost its release (to a modal dialog opened by the
  // press): it gets one now, before the new press.
  if (CView* stale = captureView_) {
    setCapture(nullptr);
    CPoint p = toViewPoint(stale, where);
    stale->onMouseUp(p, CButtonState(buttons.getModifierState()));
  }
  CView* target = modalView_ ? modalView_ : findMouseTarget(where);
  // A press anywhere else ends the focus view's work (an inline text edit commits), which
  // may change the views under the pointer.
  if (focusView_ && !(target && target->isSelfOrDescendantOf(focusView_))) {
    setFocusView(nullptr);
    target = modalView_ ? modalView_ : findMouseTarget(where);
  }
  if (!modalView_) setMouseOverView(target, where, buttons);
  if (!target || target->getFrame() != this) return kMouseEventNotHandled;
  CPoint p = toViewPoint(target, where);
  const CMouseEventResult result = target->onMouseDown(p, buttons);
  if (result == kMouseEventHandled && target->getFrame() == this) setCapture(target);
  return result;
}

CMouseEventResult CFrame::routeMouseUp(const CPoint& where, const CButtonState& buttons) {
  CView* target = captureView_ ? captureView_ : modalView_;
  setCapture(nullptr);
  CMouseEventResult result = kMouseEventNotHandled;
  if (target && target->getFrame() == this) {
    CPoint p = toViewPoint(target, where);
    result = target->onMouseUp(p, buttons);
  }
  // The pointer may have left the view while it held it.
  if (!modalView_) setMouseOverView(findMouseTarget(where), where, buttons);
  return result;
}

CMouseEventResult CFrame::routeMouseMoved(const CPoint& where, const CButtonState& buttons) {
  CView* target = captureView_;
  if (!target && modalView_) {
    target = modalView_;
    setMouseOverView(target->hitTest(toViewPoint(target, where), buttons) ? target : nullptr, where, buttons);
  } else if (!target) {
    target = findMouseTarget(where);
    setMouseOverView(target, where, buttons);
  }
  if (!target || target->getFrame() != this) return kMouseEventNotHandled;
  CPoint p = toViewPoint(target, where);
  return target->onMouseMoved(p, buttons);
}

void CFrame::routeMouseExited(const CPoint& where, const CButtonState& buttons) {
  // A view holding the pointer keeps it outside the window too.
  if (captureView_) return;
  setMouseOverView(nullptr, where, buttons);
}

bool CFrame::routeWheel(const CPoint& where, float distance, const CButtonState& buttons) {
  if (modalView_) return modalView_->onWheel(toViewPoint(modalView_, where), distance, buttons);
  // The view under the pointer first, then its containers.
  for (CView* view = findMouseTarget(where); view && view != this; view = view->getParentView()) {
    if (view->onWheel(toViewPoint(view, where), distance, buttons)) return true;
  }
  return false;
}

bool CFrame::routeKeyDown(const CKeyEvent& key) { return focusView_ ? focusView_->onKeyDown(key) : false; }

void CFrame::setModalView(CView* view) {
  if (view == modalView_) return;
  modalView_ = view;
  // Nothing but the modal view may keep the pointer or show it is under the pointer.
  if (view && captureView_ && !captureView_->isSelfOrDescendantOf(view)) setCapture(nullptr);
  if (view && mouseOverView_ && mouseOverView_ != view) setMouseOverView(nullptr, CPoint(), CButtonState());
}

void CFrame::setFocusView(CView* view) {
  if (view == focusView_) return;
  CView* old = focusView_;
  focusView_ = view;
  if (old) old->looseFocus();
  if (view && focusView_ == view) view->takeFocus();
}

void CFrame::viewWillBeRemoved(CView* view) {
  if (modalView_ && modalView_->isSelfOrDescendantOf(view)) modalView_ = nullptr;
  if (focusView_ && focusView_->isSelfOrDescendantOf(view)) focusView_ = nullptr;
  if (mouseOverView_ && mouseOverView_->isSelfOrDescendantOf(view)) mouseOverView_ = nullptr;
  if (captureView_ && captureView_->isSelfOrDescendantOf(view)) setCapture(nullptr);
}

// ---- platform callbacks

void CFrame::platformOnMouseDown(const CPoint& where, const CButtonState& buttons) {
  DispatchScope scope(*this);
  routeMouseDown(where, buttons);
}

void CFrame::platformOnMouseUp(const CPoint& where, const CButtonState& buttons) {
  DispatchScope scope(*this);
  routeMouseUp(where, buttons);
}

void CFrame::platformOnMouseMoved(const CPoint& where, const CButtonState& buttons) {
  DispatchScope scope(*this);
  routeMouseMoved(where, buttons);
}

void CFrame::platformOnMouseExited(const CPoint& where, const CButtonState& buttons) {
  DispatchScope scope(*this);
  routeMouseExited(where, buttons);
}

void CFrame::platformOnWheel(const CPoint& where, float distance, const CButtonState& buttons) {
  DispatchScope scope(*this);
  routeWheel(where, distance, buttons);
}

bool CFrame::platformOnKeyDown(const CKeyEvent& key) {
  DispatchScope scope(*this);
  return routeKeyDown(key);
}

void CFrame::platformOnFocusLost() {
  DispatchScope scope(*this);
  setFocusView(nullptr);
}
