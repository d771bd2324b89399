#include "toolkit/platform/common/generic_option_menu.h"

#include <algorithm>
#include <utility>

#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"

namespace {

// The window's palette: light text on graphite, the lit-indicator blue for the entry under the
// pointer.
constexpr CColor kMenuBack{46, 50, 55};
constexpr CColor kMenuBorder{100, 110, 118};
constexpr CColor kMenuText{213, 236, 246};
constexpr CColor kMenuDisabledText{110, 120, 128};
constexpr CColor kMenuHighlight{132, 206, 242};
constexpr CColor kMenuHighlightText{19, 21, 23};
constexpr CColor kMenuSeparator{70, 76, 82};
constexpr CCoord kCheckSpace = 16;
constexpr CCoord kRightSpace = 8;

bool isSeparator(const std::string& title) { return title == "-"; }

}  // namespace

GenericOptionMenu::GenericOptionMenu(CFrame& frame, const OptionMenuRequest& request, const CFontRef& font,
                                     Callback callback)
    : CView(CRect()),
      frame_(frame),
      titles_(request.titles),
      current_(request.current),
      font_(font ? font : kNormalFont),
      callback_(std::move(callback)) {
  const int count = static_cast<int>(titles_.size());
  perColumn_ = request.entriesPerColumn > 0 ? std::min(request.entriesPerColumn, count) : count;
  perColumn_ = std::max(1, perColumn_);
  const int columns = std::max(1, (count + perColumn_ - 1) / perColumn_);

  PixelBuffer scratch(1, 1);
  CDrawContext measure(scratch);
  measure.setFont(font_);
  rowHeight_ = measure.getFontAscent() + measure.getFontDescent() + 4;
  CCoord widest = 24;
  for (const std::string& title : titles_) widest = std::max(widest, measure.getStringWidth(title));
  columnWidth_ = kCheckSpace + widest + kRightSpace;
  size_ = CRect(0, 0, columns * columnWidth_ + 2, perColumn_ * rowHeight_ + 2);
}

GenericOptionMenu* GenericOptionMenu::open(CFrame& frame, const OptionMenuRequest& request, const CRect& anchor,
                                           const CFontRef& font, Callback callback) {
  auto* menu = new GenericOptionMenu(frame, request, font, std::move(callback));
  const CCoord w = menu->size_.getWidth(), h = menu->size_.getHeight();
  const CCoord frameW = frame.getWidth(), frameH = frame.getHeight();
  CCoord top = anchor.bottom;
  if (top + h > frameH) top = anchor.top - h;
  if (top < 0) top = std::max(0, frameH - h);
  CCoord left = std::min(anchor.left, frameW - w);
  left = std::max(0, left);
  menu->size_.moveTo(left, top);

  frame.addView(menu);
  frame.setModalView(menu);
  frame.setFocusView(menu);
  if (IPlatformFrame* platform = frame.getPlatformFrame()) platform->takeKeyboardFocus();
  return menu;
}

GenericOptionMenu::~GenericOptionMenu() { close(-1); }

bool GenericOptionMenu::choosable(int index) const {
  return index >= 0 && index < static_cast<int>(titles_.size()) &&
         !isSeparator(titles_[static_cast<std::size_t>(index)]);
}

CRect GenericOptionMenu::entryRect(int index) const {
  const int column = index / perColumn_, row = index % perColumn_;
  return CRect(CPoint(size_.left + 1 + column * columnWidth_, size_.top + 1 + row * rowHeight_), columnWidth_,
               rowHeight_);
}

int GenericOptionMenu::entryAt(const CPoint& where) const {
  if (!size_.pointInside(where)) return -1;
  const int column = (where.x - size_.left - 1) / columnWidth_;
  const int row = (where.y - size_.top - 1) / rowHeight_;
  if (where.x - size_.left - 1 < 0 || where.y - size_.top - 1 < 0 || row >= perColumn_) return -1;
  const int index = column * perColumn_ + row;
  return choosable(index) ? index : -1;
}

void GenericOptionMenu::setHighlighted(int index) {
  if (index == highlighted_) return;
  highlighted_ = index;
  setDirty();
}

void GenericOptionMenu::draw(CDrawContext* context) {
  context->setFillColor(kMenuBack);
  context->fillRect(size_);
  context->setLineWidth(1);
  context->setFrameColor(kMenuBorder);
  context->frameRect(size_);
  context->setFont(font_);
  for (int i = 0; i < static_cast<int>(titles_.size()); ++i) {
    const CRect r = entryRect(i);
    const std::string& title = titles_[static_cast<std::size_t>(i)];
    if (isSeparator(title)) {
      context->setFrameColor(kMenuSeparator);
      const CCoord y = r.top + r.getHeight() / 2;
      context->drawLine(CPoint(r.left + 4, y), CPoint(r.right - 5, y));
      continue;
    }
    CColor textColor = kMenuText;
    if (i == highlighted_) {
      context->setFillColor(kMenuHighlight);
      context->fillRect(r);
      textColor = kMenuHighlightText;
    }
    if (i == current_) {
      // A tick: a short stroke down-right, a long one up-right.
      const CCoord x = r.left + 4, y = r.top + r.getHeight() / 2;
      context->setFrameColor(textColor);
      context->drawLine(CPoint(x, y), CPoint(x + 3, y + 3));
      context->drawLine(CPoint(x + 3, y + 3), CPoint(x + 9, y - 3));
    }
    context->setFontColor(textColor == kMenuText && !choosable(i) ? kMenuDisabledText : textColor);
    context->drawString(title, CRect(r.left + kCheckSpace, r.top, r.right - kRightSpace / 2, r.bottom), kLeftText);
  }
}

CMouseEventResult GenericOptionMenu::onMouseDown(CPoint& where, const CButtonState& /*buttons*/) {
  if (!open_) return kMouseEventNotHandled;
  if (!size_.pointInside(where)) {
    close(-1);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  armed_ = true;
  setHighlighted(entryAt(where));
  return kMouseEventHandled;
}

CMouseEventResult GenericOptionMenu::onMouseUp(CPoint& where, const CButtonState&) {
  if (!open_) return kMouseEventNotHandled;
  const int index = entryAt(where);
  if (armed_ && index >= 0) close(index);
  return kMouseEventHandled;
}

CMouseEventResult GenericOptionMenu::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  if (!open_) return kMouseEventNotHandled;
  const int index = entryAt(where);
  setHighlighted(index);
  // The opening press dragged into the menu: its release chooses.
  if (index >= 0 && buttons.isLeftButton()) armed_ = true;
  return kMouseEventHandled;
}

CMouseEventResult GenericOptionMenu::onMouseExited(CPoint&, const CButtonState&) {
  setHighlighted(-1);
  return kMouseEventHandled;
}

bool GenericOptionMenu::onWheel(const CPoint&, float, const CButtonState&) { return true; }

bool GenericOptionMenu::onKeyDown(const CKeyEvent& key) {
  if (!open_) return false;
  const int count = static_cast<int>(titles_.size());
  switch (key.virt) {
    case VirtualKey::Escape: close(-1); return true;
    case VirtualKey::Return:
      if (choosable(highlighted_)) close(highlighted_);
      return true;
    case VirtualKey::Down:
    case VirtualKey::Up: {
      const int step = key.virt == VirtualKey::Down ? 1 : -1;
      int index = highlighted_ >= 0 ? highlighted_ : (current_ >= 0 ? current_ - step : (step > 0 ? -1 : count));
      for (int n = 0; n < count; ++n) {
        index += step;
        if (index < 0 || index >= count) break;
        if (choosable(index)) {
          setHighlighted(index);
          break;
        }
      }
      return true;
    }
    default: return true;
  }
}

void GenericOptionMenu::looseFocus() { close(-1); }

void GenericOptionMenu::closeSilently() {
  callback_ = nullptr;
  close(-1);
}

void GenericOptionMenu::close(int chosen) {
  if (!open_) return;
  open_ = false;
  Callback callback = std::move(callback_);
  callback_ = nullptr;
  CFrame& frame = frame_;
  if (frame.getModalView() == this) frame.setModalView(nullptr);
  if (frame.getFocusView() == this) frame.setFocusView(nullptr);
  if (IPlatformFrame* platform = frame.getPlatformFrame()) platform->releaseKeyboardFocus();
  // From here on only locals: outside of an event the removal destroys the menu at once.
  if (frame.isChild(this)) frame.removeView(this);
  if (callback) callback(chosen);
}
