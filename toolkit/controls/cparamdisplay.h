// A control that shows its value as text, through a value-to-text function (without one as
// "%.2f"), over its background bitmap or a filled and outlined rectangle.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/ccolor.h"
#include "toolkit/ccontrol.h"
#include "toolkit/cfont.h"

// Style bits of the text controls.
enum CParamDisplayStyle : std::int32_t {
  kNoTextStyle = 1 << 0,       // no text
  kNoDrawStyle = 1 << 1,       // nothing at all: what lies below shows through
  kNoFrame = 1 << 2,           // no outline around the filled rectangle
  kTransparentStyle = 1 << 3,  // without a bitmap, no fill and no outline
};

class CParamDisplay : public CControl {
 public:
  // Answers false when it cannot convert; text is then left as it is.
  using ValueToStringFunction = std::function<bool(float value, std::string& text)>;

  explicit CParamDisplay(const CRect& size, const SharedBitmap& background = nullptr, std::int32_t style = 0);

  void draw(CDrawContext* context) override;

  virtual void setFont(const CFontRef& font);
  const CFontRef& getFont() const { return font_; }
  virtual void setFontColor(const CColor& color);
  const CColor& getFontColor() const { return fontColor_; }
  virtual void setBackColor(const CColor& color);
  const CColor& getBackColor() const { return backColor_; }
  virtual void setFrameColor(const CColor& color);
  const CColor& getFrameColor() const { return frameColor_; }
  virtual void setHoriAlign(CHoriTxtAlign align);
  CHoriTxtAlign getHoriAlign() const { return horiAlign_; }
  virtual void setStyle(std::int32_t style);
  std::int32_t getStyle() const { return style_; }
  // Space kept free between the rectangle's sides and the text.
  void setTextInset(const CPoint& inset);
  const CPoint& getTextInset() const { return textInset_; }

  // Set on the UI thread before other threads set values.
  virtual void setValueToStringFunction(ValueToStringFunction function);
  const ValueToStringFunction& getValueToStringFunction() const { return valueToString_; }
  // The text for value.
  std::string formatValue(float value) const;

 protected:
  // The background bitmap from the back offset; without one (and unless transparent) the
  // back colour, outlined in the frame colour unless kNoFrame.
  virtual void drawBack(CDrawContext* context);
  virtual void drawText(CDrawContext* context, const std::string& text);

  CFontRef font_;
  CColor fontColor_ = kWhiteCColor;
  CColor backColor_ = kBlackCColor;
  CColor frameColor_ = kBlackCColor;
  CHoriTxtAlign horiAlign_ = kCenterText;
  std::int32_t style_;
  CPoint textInset_;
  ValueToStringFunction valueToString_;
};
