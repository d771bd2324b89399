// A control that shows a text (UTF-8) rather than its value. With a value-to-text function
// attached, every setValue (from any thread) replaces the text by the value's text, made on
// the UI thread when the text is next read or drawn.
#pragma once

#include <atomic>
#include <string>

#include "toolkit/controls/cparamdisplay.h"

class CTextLabel : public CParamDisplay {
 public:
  explicit CTextLabel(const CRect& size, std::string text = {}, const SharedBitmap& background = nullptr,
                      std::int32_t style = 0);

  // UI thread.
  virtual void setText(std::string text);
  const std::string& getText() const;

  void setValue(float value) override;
  void draw(CDrawContext* context) override;

 protected:
  // Asks for the text to be made from the value when it is next read.
  void requestTextFromValue();

 private:
  mutable std::string text_;
  mutable std::atomic<bool> textFromValue_{false};
};
