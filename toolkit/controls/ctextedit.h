// A text label the user can edit in place. A left press opens a single-line text box over
// the label (the platform's native one, else the toolkit's own) with the whole text selected;
// while it is open the label draws only its background. Enter, Tab or leaving the box
// commits: the label takes the text and, as one edit gesture, the text-to-value function (when
// attached) sets the value, and the listener is told. Escape cancels and leaves everything as
// it was.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "toolkit/controls/ctextlabel.h"
#include "toolkit/platform/iplatformframe.h"

class CTextEdit : public CTextLabel, public IPlatformTextEditCallback {
 public:
  // Answers false when the text does not convert; the value then stays.
  using StringToValueFunction = std::function<bool(const std::string& text, float& value)>;

  CTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, std::string text = {},
            const SharedBitmap& background = nullptr, std::int32_t style = 0);
  // Closes an open box without committing.
  ~CTextEdit() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool removed(CView* parent) override;

  void setStringToValueFunction(StringToValueFunction function) { stringToValue_ = std::move(function); }
  const StringToValueFunction& getStringToValueFunction() const { return stringToValue_; }
  // Most code points the box takes.
  void setMaxChars(int count) { maxChars_ = count; }
  int getMaxChars() const { return maxChars_; }

  // Opens the box; answers false when the control is not in a frame or already editing.
  virtual bool startEdit();
  bool isTextEditing() const { return textEditing_; }
  // The box's text, while editing.
  std::string getEditText() const { return box_ ? box_->getText() : std::string(); }

  // IPlatformTextEditCallback: the box reports here.
  void platformTextChanged(const std::string& utf8) override;
  void platformTextCommit(const std::string& utf8) override;
  void platformTextCancel() override;

 protected:
  // What the box is opened with: over the label, its text, font, colour and alignment, and
  // the label's drawing without its text behind.
  virtual TextEditParams makeEditParams();
  // The text while typing (nothing by default).
  virtual void editTextChanged(const std::string& text);
  // Enter, Tab, focus loss: closes the box, takes the text, runs the edit protocol.
  virtual void commitEdit(const std::string& text);
  // Escape: closes the box.
  virtual void cancelEdit();
  // Begin edit, the text-to-value conversion, valueChanged, end edit.
  void runEditProtocol(const std::string& text);
  // Destroys the box (once the event being handled is over) and ends the editing state.
  void closeEditBox();

  StringToValueFunction stringToValue_;
  int maxChars_ = 255;
  bool textEditing_ = false;
  std::unique_ptr<IPlatformTextEdit> box_;
};
