#include "presets/ckorvantextedit.h"

#include <utility>

#include "toolkit/cframe.h"
#include "toolkit/platform/common/utf8_text.h"

namespace {

// The one field editing in the process (UI thread only).
CKorvanTextEdit* gEditingField = nullptr;

std::string labelText(const std::string& text) {
  return std::string(toolkit_text::firstCodePoints(text, CKorvanTextEdit::kLabelChars));
}

}  // namespace

CKorvanTextEdit::CKorvanTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, std::string text,
                                 const SharedBitmap& background, std::int32_t style)
    : CTextEdit(size, listener, tag, std::move(text), background, style) {
  setMaxChars(kMaxTypedChars);
}

CKorvanTextEdit::~CKorvanTextEdit() { leaveSlot(); }

CKorvanTextEdit* CKorvanTextEdit::editingField() { return gEditingField; }

void CKorvanTextEdit::leaveSlot() {
  if (gEditingField == this) gEditingField = nullptr;
}

CRect CKorvanTextEdit::editBoxRect() const {
  const CRect field = getFrameRect();
  const int s = getFont() ? getFont()->getSize() : 0;
  const CCoord c = ((field.top - 1) + (field.bottom - 1)) / 2;
  return CRect(field.left, c - s / 2 - 1, field.right, c + s / 2 + 2);
}

CMouseEventResult CKorvanTextEdit::onMouseDown(CPoint&, const CButtonState&) {
  if (!isTextEditing()) startEdit();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool CKorvanTextEdit::startEdit() {
  if (!getFrame() || isTextEditing()) return false;
  // Another field's box closes the way a loss of focus closes it.
  if (CKorvanTextEdit* other = gEditingField; other && other != this) {
    gEditingField = nullptr;
    if (other->isTextEditing()) other->platformTextCommit(other->getEditText());
  }
  boxText_ = getText();
  keptText_ = labelText(boxText_);
  setText(std::string());
  gEditingField = this;
  return CTextEdit::startEdit();
}

TextEditParams CKorvanTextEdit::makeEditParams() {
  TextEditParams params;
  params.rect = editBoxRect();
  params.text = boxText_;
  const std::string face = getFont() ? getFont()->getName() : std::string("Arial");
  params.font = CFontDesc(face.c_str(), getFont() ? getFont()->getSize() : 0, kNormalFace);
  params.fontColor = editTextColor_ ? *editTextColor_ : getFontColor();
  params.align = getHoriAlign();
  params.maxChars = getMaxChars();
  if (CFrame* frame = getFrame()) {
    // The field is in its editing state already: this is its background without the text.
    frame->drawArea(params.rect);
    params.background = frame->copyPixels(params.rect);
  }
  return params;
}

void CKorvanTextEdit::editTextChanged(const std::string& text) { setText(labelText(text)); }

void CKorvanTextEdit::commitEdit(const std::string& text) {
  leaveSlot();
  CTextEdit::commitEdit(labelText(text));
}

void CKorvanTextEdit::cancelEdit() {
  leaveSlot();
  CTextEdit::cancelEdit();
  setText(keptText_);
}

bool CKorvanTextEdit::removed(CView* parent) {
  // Taken out of the frame while editing: the box goes without a commit, the text returns.
  if (isTextEditing()) setText(keptText_);
  leaveSlot();
  return CTextEdit::removed(parent);
}
