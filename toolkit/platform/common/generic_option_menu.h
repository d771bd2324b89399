// The toolkit's own pop-up menu, for platforms without a native one: a view on top of the
// frame, in columns of N entries, with the current entry checked and the entry under the
// pointer highlighted. It takes every mouse event of the frame (modal view) and the keys
// while open: a click on an entry chooses it; a press outside it or Escape dismisses it;
// Up, Down and Enter choose with the keyboard.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/cfont.h"
#include "toolkit/cview.h"
#include "toolkit/platform/iplatformframe.h"

class CFrame;

class GenericOptionMenu : public CView {
 public:
  // chosen is the entry's index, or -1 when the menu was dismissed. Called once, after the
  // menu has left the frame.
  using Callback = std::function<void(int chosen)>;

  // Opens the menu in frame, below anchor (frame coordinates) or above it when it does not
  // fit below, held inside the frame. request.where is not used.
  static GenericOptionMenu* open(CFrame& frame, const OptionMenuRequest& request, const CRect& anchor,
                                 const CFontRef& font, Callback callback);
  // Dismisses a menu that is still open (the callback gets -1).
  ~GenericOptionMenu() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
  bool onKeyDown(const CKeyEvent& key) override;
  void looseFocus() override;

  // The entry at where (frame coordinates) that can be chosen, or -1.
  int entryAt(const CPoint& where) const;
  // Where entry index lies, in frame coordinates.
  CRect entryRect(int index) const;
  int getHighlighted() const { return highlighted_; }
  // Closes the menu: chosen goes to the callback (-1: dismissed).
  void close(int chosen);
  // Closes the menu without telling anybody (its owner is going away).
  void closeSilently();

 private:
  GenericOptionMenu(CFrame& frame, const OptionMenuRequest& request, const CFontRef& font, Callback callback);
  bool choosable(int index) const;
  void setHighlighted(int index);

  CFrame& frame_;
  std::vector<std::string> titles_;
  int current_;
  int perColumn_;
  CFontRef font_;
  Callback callback_;
  CView* previousModal_ = nullptr;
  CCoord rowHeight_ = 0;
  CCoord columnWidth_ = 0;
  int highlighted_ = -1;
  // A press inside the menu arms it; the release over an entry chooses it. A release that
  // follows the opening press without a drag into the menu does nothing.
  bool armed_ = false;
  bool open_ = true;
};
