// A view that owns child views and draws them in the order they were added, later ones on
// top. The children's size rectangles are relative to the container's top-left corner.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/ccolor.h"
#include "toolkit/cview.h"

class CViewContainer : public CView {
 public:
  explicit CViewContainer(const CRect& size);
  // Destroys the children, last added first.
  ~CViewContainer() override;

  // Takes ownership of view and puts it on top. Answers false (and deletes nothing) for a
  // null view or one that already has a parent.
  virtual bool addView(CView* view);
  // Removes view and destroys it (once the event being handled is over, when the container
  // is in a frame). Answers false when view is not a direct child.
  virtual bool removeView(CView* view);
  // Removes view and hands it back to the caller; null when it is not a direct child.
  virtual std::unique_ptr<CView> takeView(CView* view);
  // Removes and destroys every child, the top one first.
  virtual void removeAll();

  bool isChild(const CView* view) const;
  int getNbViews() const { return static_cast<int>(children_.size()); }
  CView* getView(int index) const;
  // The topmost visible child under where (this container's coordinates), optionally only
  // among the children that take the mouse; null when there is none.
  CView* getViewAt(const CPoint& where, bool mouseEnabledOnly = false) const;

  // Filled under the background bitmap; transparent by default.
  void setBackgroundColor(const CColor& color);
  const CColor& getBackgroundColor() const { return backgroundColor_; }

  void draw(CDrawContext* context) override;
  void drawRect(CDrawContext* context, const CRect& updateRect) override;
  // Draws the background (colour, then bitmap) of the part area of the container, area being
  // in the container's parent's coordinates.
  virtual void drawBackgroundRect(CDrawContext* context, const CRect& area);

  CViewContainer* asViewContainer() override { return this; }

 protected:
  std::vector<std::unique_ptr<CView>> children_;
  CColor backgroundColor_ = kTransparentCColor;
};
