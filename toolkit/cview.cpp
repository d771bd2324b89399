#include "toolkit/cview.h"

#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"

CView::CView(const CRect& size) : size_(size) {}

CView::~CView() = default;

void CView::draw(CDrawContext* context) {
  if (background_) context->drawBitmap(*background_, size_);
}

void CView::drawRect(CDrawContext* context, const CRect& /*updateRect*/) { draw(context); }

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseEntered(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseExited(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
bool CView::onWheel(const CPoint&, float, const CButtonState&) { return false; }
bool CView::onKeyDown(const CKeyEvent&) { return false; }

bool CView::hitTest(const CPoint& where, const CButtonState&) { return size_.pointInside(where); }

void CView::setViewSize(const CRect& size, bool invalidate) {
  if (size == size_) return;
  if (invalidate) {
    if (CFrame* frame = getFrame()) frame->invalidRect(getFrameRect());
  }
  size_ = size;
  if (invalidate) setDirty();
}

CPoint CView::getParentOriginInFrame() const {
  CPoint origin;
  for (const CView* p = parent_; p; p = p->parent_) {
    // The frame's origin is the window's, whatever its size rectangle says.
    if (p->parent_ == nullptr) break;
    origin.offset(p->size_.left, p->size_.top);
  }
  return origin;
}

CRect CView::getFrameRect() const {
  const CPoint origin = getParentOriginInFrame();
  return CRect(size_).offset(origin.x, origin.y);
}

void CView::setBackground(const SharedBitmap& bitmap) {
  background_ = bitmap;
  setDirty();
}

void CView::setVisible(bool state) {
  if (state == visible_) return;
  // Hiding leaves the area to what lies below, which must be drawn again.
  if (!state) {
    if (CFrame* frame = getFrame()) frame->invalidRect(getFrameRect());
  }
  visible_ = state;
  setDirty();
}

CFrame* CView::getFrame() const { return parent_ ? parent_->getFrame() : nullptr; }

bool CView::attached(CView* parent) {
  parent_ = parent;
  setDirty();
  return true;
}

bool CView::removed(CView* /*parent*/) {
  parent_ = nullptr;
  return true;
}

bool CView::isSelfOrDescendantOf(const CView* ancestor) const {
  if (!ancestor) return false;
  for (const CView* v = this; v; v = v->parent_)
    if (v == ancestor) return true;
  return false;
}
