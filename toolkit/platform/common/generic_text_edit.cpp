#include "toolkit/platform/common/generic_text_edit.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"
#include "toolkit/platform/common/utf8_text.h"

namespace {

constexpr CCoord kPadding = 2;
constexpr CColor kSelectionColor{62, 152, 210};

}  // namespace

GenericTextEditView::GenericTextEditView(const TextEditParams& params, IPlatformTextEditCallback* callback)
    : CView(params.rect),
      callback_(callback),
      text_(toolkit_text::firstCodePoints(params.text, static_cast<std::size_t>(std::max(0, params.maxChars)))),
      caret_(text_.size()),
      anchor_(0),
      maxChars_(static_cast<std::size_t>(std::max(0, params.maxChars))),
      align_(params.align),
      font_(std::make_shared<CFontDesc>(params.font)),
      fontColor_(params.fontColor),
      backdrop_(params.background) {}

void GenericTextEditView::finish() {
  if (!callback_) return;
  callback_ = nullptr;
  setVisible(false);
}

void GenericTextEditView::commit() {
  IPlatformTextEditCallback* callback = callback_;
  if (!callback) return;
  finish();
  callback->platformTextCommit(text_);
}

void GenericTextEditView::cancel() {
  IPlatformTextEditCallback* callback = callback_;
  if (!callback) return;
  finish();
  callback->platformTextCancel();
}

void GenericTextEditView::changed() {
  setDirty();
  if (callback_) callback_->platformTextChanged(text_);
}

void GenericTextEditView::looseFocus() { commit(); }

void GenericTextEditView::replaceSelection(const std::string& utf8) {
  const std::size_t start = getSelectionStart(), end = getSelectionEnd();
  const std::size_t kept = toolkit_text::countCodePoints(text_) -
                           toolkit_text::countCodePoints(std::string_view(text_).substr(start, end - start));
  if (!utf8.empty() && kept + toolkit_text::countCodePoints(utf8) > maxChars_) return;
  text_.replace(start, end - start, utf8);
  caret_ = anchor_ = start + utf8.size();
  changed();
}

void GenericTextEditView::moveCaret(std::size_t position, bool extend) {
  caret_ = std::min(position, text_.size());
  if (!extend) anchor_ = caret_;
  setDirty();
}

bool GenericTextEditView::onKeyDown(const CKeyEvent& key) {
  if (isFinished()) return false;
  const bool shift = (key.modifiers & kShift) != 0;
  const bool selection = anchor_ != caret_;
  if (key.character == 0) {
    switch (key.virt) {
      case VirtualKey::Return:
      case VirtualKey::Tab: commit(); return true;
      case VirtualKey::Escape: cancel(); return true;
      case VirtualKey::Back:
        if (!selection) anchor_ = toolkit_text::previousBoundary(text_, caret_);
        if (anchor_ != caret_) replaceSelection({});
        return true;
      case VirtualKey::Delete:
        if (!selection) anchor_ = toolkit_text::nextBoundary(text_, caret_);
        if (anchor_ != caret_) replaceSelection({});
        return true;
      case VirtualKey::Left:
        if (selection && !shift)
          moveCaret(getSelectionStart(), false);
        else
          moveCaret(toolkit_text::previousBoundary(text_, caret_), shift);
        return true;
      case VirtualKey::Right:
        if (selection && !shift)
          moveCaret(getSelectionEnd(), false);
        else
          moveCaret(toolkit_text::nextBoundary(text_, caret_), shift);
        return true;
      case VirtualKey::Home: moveCaret(0, shift); return true;
      case VirtualKey::End: moveCaret(text_.size(), shift); return true;
      default: return false;
    }
  }
  if (key.modifiers & (kControl | kAlt)) {
    if ((key.modifiers & kControl) && (key.character == U'a' || key.character == U'A')) {
      anchor_ = 0;
      moveCaret(text_.size(), true);
      return true;
    }
    return false;
  }
  // Control characters are not text.
  if (key.character < 0x20 || key.character == 0x7F) return true;
  std::string utf8;
  toolkit_text::appendUtf8(utf8, key.character);
  replaceSelection(utf8);
  return true;
}

CMouseEventResult GenericTextEditView::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (isFinished()) return kMouseEventNotHandled;
  if (buttons.isDoubleClick()) {
    anchor_ = 0;
    moveCaret(text_.size(), true);
  } else {
    moveCaret(boundaryNearest(where.x), (buttons & kShift) != 0);
  }
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CCoord GenericTextEditView::textStart(CDrawContext& context) {
  context.setFont(font_);
  const CCoord width = context.getStringWidth(text_);
  const CCoord left = size_.left + kPadding, right = size_.right - kPadding;
  if (width <= right - left) {
    scroll_ = 0;
    if (align_ == kCenterText) return size_.left + (size_.getWidth() - width) / 2;
    if (align_ == kRightText) return right - width;
    return left;
  }
  // Too long for the box: left-aligned and scrolled so that the caret stays visible.
  const CCoord caretOffset = context.getStringWidth(std::string_view(text_).substr(0, caret_));
  if (caretOffset - scroll_ > right - left - 1) scroll_ = caretOffset - (right - left - 1);
  if (caretOffset - scroll_ < 0) scroll_ = caretOffset;
  scroll_ = std::clamp(scroll_, CCoord{0}, std::max(CCoord{0}, width - (right - left - 1)));
  return left - scroll_;
}

std::size_t GenericTextEditView::boundaryNearest(CCoord x) {
  CDrawContext context(measureBuffer_);
  const CCoord start = textStart(context);
  std::size_t best = 0;
  CCoord bestDistance = std::abs(x - start);
  for (std::size_t pos = 0; pos < text_.size();) {
    pos = toolkit_text::nextBoundary(text_, pos);
    const CCoord distance = std::abs(x - (start + context.getStringWidth(std::string_view(text_).substr(0, pos))));
    if (distance < bestDistance) {
      best = pos;
      bestDistance = distance;
    }
  }
  return best;
}

void GenericTextEditView::draw(CDrawContext* context) {
  context->drawBitmap(backdrop_, size_);
  context->setFont(font_);
  const CCoord x = textStart(*context);
  const CCoord baseline = size_.top + (size_.getHeight() + context->getFontAscent() - context->getFontDescent()) / 2;
  const auto offsetOf = [&](std::size_t pos) {
    return x + context->getStringWidth(std::string_view(text_).substr(0, pos));
  };
  const CRect savedClip = context->getClipRect();
  const CPoint o = context->getOffset();
  CRect inner = size_;
  inner.inset(1, 1);

  context->setFontColor(fontColor_);
  context->drawString(text_, CPoint(x, baseline));
  if (anchor_ != caret_) {
    // The selected part: highlighted, its text drawn again in white over it.
    CRect band(offsetOf(getSelectionStart()), inner.top, offsetOf(getSelectionEnd()), inner.bottom);
    band.bound(inner);
    context->setFillColor(kSelectionColor);
    context->fillRect(band);
    CRect clip = CRect(band).offset(o.x, o.y);
    clip.bound(savedClip);
    context->setClipRect(clip);
    context->setFontColor(kWhiteCColor);
    context->drawString(text_, CPoint(x, baseline));
    context->setClipRect(savedClip);
  } else {
    const CCoord caretX = std::clamp(offsetOf(caret_), inner.left, inner.right - 1);
    context->setFrameColor(fontColor_);
    context->setLineWidth(1);
    context->drawLine(CPoint(caretX, inner.top + 1), CPoint(caretX, inner.bottom - 2));
  }
}

namespace {

class GenericTextEdit : public IPlatformTextEdit {
 public:
  GenericTextEdit(CFrame& frame, GenericTextEditView* view) : frame_(frame), view_(view) {}
  ~GenericTextEdit() override {
    if (IPlatformFrame* platform = frame_.getPlatformFrame()) platform->releaseKeyboardFocus();
    // The view is gone already when the frame's views went first.
    if (!frame_.isChild(view_)) return;
    view_->finish();
    if (frame_.getFocusView() == view_) frame_.setFocusView(nullptr);
    frame_.removeView(view_);
  }
  GenericTextEdit(const GenericTextEdit&) = delete;
  GenericTextEdit& operator=(const GenericTextEdit&) = delete;

  std::string getText() const override { return view_->getText(); }

 private:
  CFrame& frame_;
  GenericTextEditView* view_;
};

}  // namespace

std::unique_ptr<IPlatformTextEdit> createGenericTextEdit(CFrame& frame, const TextEditParams& params,
                                                         IPlatformTextEditCallback* callback) {
  auto* view = new GenericTextEditView(params, callback);
  frame.addView(view);
  frame.setFocusView(view);
  if (IPlatformFrame* platform = frame.getPlatformFrame()) platform->takeKeyboardFocus();
  return std::make_unique<GenericTextEdit>(frame, view);
}
