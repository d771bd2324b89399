#include "toolkit/cviewcontainer.h"

#include <algorithm>

#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer() { removeAll(); }

bool CViewContainer::addView(CView* view) {
  if (!view || view->isAttached() || view == this) return false;
  children_.emplace_back(view);
  view->attached(this);
  return true;
}

std::unique_ptr<CView> CViewContainer::takeView(CView* view) {
  const auto it = std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == view; });
  if (it == children_.end()) return nullptr;
  if (CFrame* frame = getFrame()) {
    frame->viewWillBeRemoved(view);
    if (view->isVisible()) frame->invalidRect(view->getFrameRect());
  }
  std::unique_ptr<CView> owned = std::move(*it);
  children_.erase(it);
  owned->removed(this);
  return owned;
}

bool CViewContainer::removeView(CView* view) {
  CFrame* frame = getFrame();
  std::unique_ptr<CView> owned = takeView(view);
  if (!owned) return false;
  // The view may be the one whose event is being handled right now (a menu closing itself):
  // the frame keeps it alive until that event is over.
  if (frame) frame->releaseLater(std::move(owned));
  return true;
}

void CViewContainer::removeAll() {
  // One at a time from the top: a child's destruction may remove other children.
  while (!children_.empty()) {
    CView* top = children_.back().get();
    std::unique_ptr<CView> owned = takeView(top);
    owned.reset();
  }
}

bool CViewContainer::isChild(const CView* view) const {
  return std::any_of(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == view; });
}

CView* CViewContainer::getView(int index) const {
  if (index < 0 || index >= getNbViews()) return nullptr;
  return children_[static_cast<std::size_t>(index)].get();
}

CView* CViewContainer::getViewAt(const CPoint& where, bool mouseEnabledOnly) const {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    CView* child = it->get();
    if (!child->isVisible() || (mouseEnabledOnly && !child->getMouseEnabled())) continue;
    if (child->hitTest(where)) return child;
  }
  return nullptr;
}

void CViewContainer::setBackgroundColor(const CColor& color) {
  backgroundColor_ = color;
  setDirty();
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& area) {
  if (backgroundColor_.alpha != 0) {
    context->setFillColor(backgroundColor_);
    context->fillRect(area);
  }
  if (background_) {
    // The bitmap's pixel (i, j) lies at the container's (left + i, top + j).
    context->drawBitmap(*background_, area, CPoint(area.left - size_.left, area.top - size_.top));
  }
}

void CViewContainer::draw(CDrawContext* context) { drawRect(context, size_); }

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
  CRect area = updateRect;
  area.bound(size_);
  if (area.isEmpty()) return;
  const CPoint savedOffset = context->getOffset();
  const CRect savedClip = context->getClipRect();

  CRect clip = CRect(area).offset(savedOffset.x, savedOffset.y);
  clip.bound(savedClip);
  if (!clip.isEmpty()) {
    context->setClipRect(clip);
    drawBackgroundRect(context, area);

    // Children in the container's own coordinates.
    const CPoint origin = getParentView() ? size_.getTopLeft() : CPoint(0, 0);
    CRect local = CRect(area).offset(-origin.x, -origin.y);
    context->setOffset(CPoint(savedOffset.x + origin.x, savedOffset.y + origin.y));
    for (std::size_t i = 0; i < children_.size(); ++i) {
      CView* child = children_[i].get();
      if (!child->isVisible()) continue;
      CRect childArea = local;
      childArea.bound(child->getViewSize());
      if (childArea.isEmpty()) continue;
      // Each child is held to its own rectangle, so that what it draws outside it cannot
      // depend on which part of the window is being redrawn.
      CRect childClip = CRect(childArea).offset(savedOffset.x + origin.x, savedOffset.y + origin.y);
      childClip.bound(clip);
      if (childClip.isEmpty()) continue;
      context->setClipRect(childClip);
      child->drawRect(context, childArea);
    }
  }
  context->setOffset(savedOffset);
  context->setClipRect(savedClip);
}
