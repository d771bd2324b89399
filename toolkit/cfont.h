// Fonts. Every face name maps to the one typeface built into the library, Liberation Sans
// (metric-compatible with Arial), in its regular or, with kBoldFace, its bold cut; there is
// no italic cut, kItalicFace draws upright. Sizes are pixel heights of the em square, as a
// Windows font of height -size; a size below 1 draws nothing and sizes above 512 draw at 512.
#pragma once

#include <memory>
#include <string>

enum CTxtFace { kNormalFace = 0, kBoldFace = 1 << 1, kItalicFace = 1 << 2 };

class CFontDesc {
 public:
  CFontDesc(const char* name = "Arial", int size = 10, int style = kNormalFace)
      : name_(name ? name : ""), size_(size), style_(style) {}
  const std::string& getName() const { return name_; }
  int getSize() const { return size_; }
  int getStyle() const { return style_; }
  void setSize(int size) { size_ = size; }

 private:
  std::string name_;
  int size_;
  int style_;
};

using CFontRef = std::shared_ptr<CFontDesc>;

// The toolkit's standard fonts ("Arial" at 10 pixels normal and 12 pixels).
extern const CFontRef kNormalFont;
extern const CFontRef kNormalFontSmall;  // 9
extern const CFontRef kNormalFontBig;    // 12

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };
