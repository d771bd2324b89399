#include "toolkit/controls/ctextedit.h"

#include <utility>

#include "toolkit/cframe.h"
#include "toolkit/platform/common/generic_text_edit.h"

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, std::string text,
                     const SharedBitmap& background, std::int32_t style)
    : CTextLabel(size, std::move(text), background, style) {
  listener_ = listener;
  tag_ = tag;
}

CTextEdit::~CTextEdit() { box_.reset(); }

bool CTextEdit::removed(CView* parent) {
  // Taken out of the frame while editing: the box goes without a commit.
  box_.reset();
  textEditing_ = false;
  return CTextLabel::removed(parent);
}

void CTextEdit::draw(CDrawContext* context) {
  if (!textEditing_) {
    CTextLabel::draw(context);
    return;
  }
  if (!(style_ & kNoDrawStyle)) drawBack(context);
}

CMouseEventResult CTextEdit::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  if (!textEditing_) startEdit();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

TextEditParams CTextEdit::makeEditParams() {
  TextEditParams params;
  params.rect = getFrameRect();
  params.text = getText();
  params.font = *getFont();
  params.fontColor = getFontColor();
  params.align = getHoriAlign();
  params.maxChars = maxChars_;
  if (CFrame* frame = getFrame()) {
    // The label is in its editing state already: this is its drawing without the text.
    frame->drawArea(params.rect);
    params.background = frame->copyPixels(params.rect);
  }
  return params;
}

bool CTextEdit::startEdit() {
  CFrame* frame = getFrame();
  if (!frame || textEditing_) return false;
  textEditing_ = true;
  setDirty();
  const TextEditParams params = makeEditParams();
  if (IPlatformFrame* platform = frame->getPlatformFrame()) box_ = platform->createTextEdit(params, this);
  if (!box_) box_ = createGenericTextEdit(*frame, params, this);
  return true;
}

void CTextEdit::closeEditBox() {
  textEditing_ = false;
  setDirty();
  if (!box_) return;
  // The box may be the one reporting right now: it goes when that report is over.
  std::shared_ptr<void> box(std::move(box_));
  if (CFrame* frame = getFrame()) frame->releaseLater(std::move(box));
}

void CTextEdit::runEditProtocol(const std::string& text) {
  beginEdit();
  if (stringToValue_) {
    float value = getValue();
    if (stringToValue_(text, value)) {
      setValue(value);
      bounceValue();
    }
  }
  // With both conversions the label shows the value's own text, also after a text that did
  // not convert.
  if (stringToValue_) requestTextFromValue();
  valueChanged();
  endEdit();
}

void CTextEdit::editTextChanged(const std::string&) {}

void CTextEdit::commitEdit(const std::string& text) {
  closeEditBox();
  setText(text);
  runEditProtocol(text);
  setDirty();
}

void CTextEdit::cancelEdit() { closeEditBox(); }

void CTextEdit::platformTextChanged(const std::string& utf8) {
  if (textEditing_) editTextChanged(utf8);
}

void CTextEdit::platformTextCommit(const std::string& utf8) {
  if (textEditing_) commitEdit(utf8);
}

void CTextEdit::platformTextCancel() {
  if (textEditing_) cancelEdit();
}
