// The editable text field of the window: the preset bar's program name and the editor's
// parameter value fields. A text label (background bitmap, font, colours, alignment) that
// opens a single-line box over itself on a press with any button.
//
// While the box is open the label draws only its background and holds the box's text (its
// first 29 characters) without telling anyone. Enter, Tab or the box losing the focus commit:
// the label takes the first 29 characters and runs the edit protocol (begin edit, the
// text-to-value conversion when one is attached, valueChanged, end edit). Escape gives the
// label back the text it had before and tells nobody. The box sits centred on the field's
// font size, in the field's face at normal weight, in the edit-text colour when one is set,
// else the font colour, takes at most 255 characters and starts with the whole text selected.
// Only one field in the process edits at a time: opening a box commits any other open one.
//
// Threads: setValue (and the dirty flag) may come from any thread, as for every text label;
// everything else belongs to the UI thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "toolkit/controls/ctextedit.h"

class CKorvanTextEdit : public CTextEdit {
 public:
  // The most characters the label holds while and after editing.
  static constexpr std::size_t kLabelChars = 29;
  static constexpr int kMaxTypedChars = 255;

  // [UI thread]
  CKorvanTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, std::string text = {},
                  const SharedBitmap& background = nullptr, std::int32_t style = 0);
  ~CKorvanTextEdit() override;

  // [UI thread] The colour of the text in the box; without one the font colour is used.
  void setEditTextColor(const CColor& color) { editTextColor_ = color; }
  const std::optional<CColor>& getEditTextColor() const { return editTextColor_; }

  // [UI thread] Where the box goes, in frame coordinates: over the field horizontally, and
  // from c - s/2 - 1 to c + s/2 + 2 vertically, c being the middle of the field moved up by
  // one pixel and s the font size.
  CRect editBoxRect() const;

  // [UI thread] The field whose box is open anywhere in the process, or null.
  static CKorvanTextEdit* editingField();

  // [UI thread] Any button opens the box.
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool startEdit() override;
  bool removed(CView* parent) override;

 protected:
  TextEditParams makeEditParams() override;
  void editTextChanged(const std::string& text) override;
  void commitEdit(const std::string& text) override;
  void cancelEdit() override;

 private:
  void leaveSlot();

  std::optional<CColor> editTextColor_;
  std::string keptText_;  // what Escape restores
  std::string boxText_;   // what the box opens with
};
