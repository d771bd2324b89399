// The information screen. Closed, it is an invisible button over the logo: it covers only its
// closed rectangle and draws nothing, so the window's background shows. A left press opens it:
// the control grows over the panel rectangle, comes to the top of its container (so that
// controls redrawn later, such as the meters, stay beneath it) and becomes the frame's modal
// view, so that every press anywhere reaches it. A left press while it is open closes it; the
// area it covered is drawn again. Other buttons do nothing.
//
// The panel: a light box with a dark outline, a dark band holding the title line, and lines of
// text in the bitmap font 14 pixels apart: the product, its version, the current processing
// latency in samples, the credits and the plug-in technology notice.
#pragma once

#include <atomic>
#include <memory>

#include "toolkit/ccolor.h"
#include "toolkit/ccontrol.h"
#include "ui/ctextprinter.h"

class CInfo : public CControl {
 public:
  static constexpr CRect kPanelRect{43, 294, 481, 430};
  static constexpr CRect kBandRect{43, 301, 481, 310};
  static constexpr CColor kPanelColor{213, 236, 246};
  static constexpr CColor kOutlineColor{79, 79, 79};
  static constexpr int kOutlineWidth = 3;
  static constexpr CCoord kFirstBaseline = 309;
  static constexpr CCoord kLineSpacing = 14;
  // The latency's text ends here (its first glyph starts 6 pixels per character earlier).
  static constexpr CCoord kLatencyEnd = 470;

  // closedSize: the logo's rectangle. background: drawn over the panel when it is loaded (no
  // such picture comes with the window, so the panel is drawn without one). font: the strip of
  // the bitmap font. No tag and no listener: the screen sets no parameter. [UI thread]
  CInfo(const CRect& closedSize, const SharedBitmap& background, const SharedBitmap& font);

  // The latency shown, in samples; the panel shows a new one at its next redraw. [any thread]
  void setLatency(int samples);
  int getLatency() const { return latency_.load(std::memory_order_relaxed); }

  // [UI thread]
  bool isOpen() const { return open_; }
  const CRect& getClosedRect() const { return closedSize_; }
  void open();
  void close();

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

 private:
  void bringToFront();
  void drawPanel(CDrawContext* context);

  CRect closedSize_;
  CTextPrinter printer_;
  std::atomic<int> latency_{0};
  bool open_ = false;
};
