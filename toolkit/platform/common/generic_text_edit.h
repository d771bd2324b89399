// The toolkit's own single-line text box, for platforms without a native one: a view on top
// of the frame that holds the keyboard focus while it is open. It shows the pixels it was
// given as its background, the text with a caret, and the selection (the whole text at the
// start, so that typing replaces it). Enter and Tab commit, Escape cancels, a press elsewhere
// or the window losing the focus commits.
#pragma once

#include <memory>
#include <string>

#include "toolkit/cbitmap.h"
#include "toolkit/cview.h"
#include "toolkit/platform/iplatformframe.h"

class CFrame;

class GenericTextEditView : public CView {
 public:
  GenericTextEditView(const TextEditParams& params, IPlatformTextEditCallback* callback);

  void draw(CDrawContext* context) override;
  bool onKeyDown(const CKeyEvent& key) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  void looseFocus() override;

  const std::string& getText() const { return text_; }
  // Byte offsets into the text; the selection runs between anchor and caret.
  std::size_t getCaret() const { return caret_; }
  std::size_t getSelectionStart() const { return std::min(anchor_, caret_); }
  std::size_t getSelectionEnd() const { return std::max(anchor_, caret_); }
  bool isFinished() const { return callback_ == nullptr; }
  // No more reports to the callback; the box hides.
  void finish();

 private:
  void commit();
  void cancel();
  void replaceSelection(const std::string& utf8);
  void moveCaret(std::size_t position, bool extend);
  void changed();
  // Where the text starts (x), keeping the caret inside the box.
  CCoord textStart(CDrawContext& context);
  std::size_t boundaryNearest(CCoord x);

  IPlatformTextEditCallback* callback_;
  std::string text_;
  std::size_t caret_ = 0;
  std::size_t anchor_ = 0;
  CCoord scroll_ = 0;
  std::size_t maxChars_;
  CHoriTxtAlign align_;
  CFontRef font_;
  CColor fontColor_;
  CBitmap backdrop_;
  PixelBuffer measureBuffer_{1, 1};
};

// Opens the toolkit's text box in frame over params.rect (frame coordinates). Destroying the
// answer closes the box and gives the keyboard focus back.
std::unique_ptr<IPlatformTextEdit> createGenericTextEdit(CFrame& frame, const TextEditParams& params,
                                                         IPlatformTextEditCallback* callback);
