#include "ui/cinfo.h"

#include <cstdio>
#include <string_view>
#include <utility>

#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"
#include "toolkit/cviewcontainer.h"

namespace {

// A text of the panel: its line (0 is the title line in the band), where it starts, and
// whether it is printed with the bright set (light on the dark band).
struct PanelText {
  int line;
  CCoord x;
  std::string_view text;
  bool bright;
};

constexpr PanelText kTexts[] = {
    {0, 55, "Korvan Stellix", true},
    {0, 200, "Brickwall Limiting, Metering and Requantizing", true},
    {1, 55, "Version:", false},
    {1, 440, "1.5.1", false},
    {2, 55, "Current process latency (samples):", false},
    {3, 55, "Design:", false},
    {3, 200, "Korvan Audio", false},
    {4, 55, "Signal processing:", false},
    {4, 200, "Korvan Audio", false},
    {5, 55, "Artwork:", false},
    {5, 200, "Korvan Audio", false},
    {6, 165, "VST plugin technology by Steinberg", false},
};
constexpr int kLatencyLine = 2;

constexpr CCoord baseline(int line) { return CInfo::kFirstBaseline + line * CInfo::kLineSpacing; }

}  // namespace

CInfo::CInfo(const CRect& closedSize, const SharedBitmap& background, const SharedBitmap& font)
    : CControl(closedSize, nullptr, -1, background), closedSize_(closedSize), printer_(font) {}

void CInfo::setLatency(int samples) {
  latency_.store(samples, std::memory_order_relaxed);
  setDirty();
}

void CInfo::bringToFront() {
  CView* parentView = getParentView();
  CViewContainer* parent = parentView ? parentView->asViewContainer() : nullptr;
  if (!parent || parent->getView(parent->getNbViews() - 1) == this) return;
  // Taken out and added again: the container draws its last child over all the others.
  std::unique_ptr<CView> self = parent->takeView(this);
  if (self) parent->addView(self.release());
}

void CInfo::open() {
  if (open_) return;
  CFrame* frame = getFrame();
  if (!frame) return;
  bringToFront();
  open_ = true;
  setViewSize(kPanelRect);
  frame->setModalView(this);
  setDirty();
}

void CInfo::close() {
  if (!open_) return;
  open_ = false;
  CFrame* frame = getFrame();
  if (frame) {
    if (frame->getModalView() == this) frame->setModalView(nullptr);
    // What the panel covered is drawn again from the views beneath it.
    frame->invalidRect(getFrameRect());
  }
  setViewSize(closedSize_);
}

CMouseEventResult CInfo::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  if (open_)
    close();
  else
    open();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CInfo::draw(CDrawContext* context) {
  if (open_) drawPanel(context);
}

void CInfo::drawPanel(CDrawContext* context) {
  context->setFillColor(kPanelColor);
  context->fillRect(kPanelRect);
  if (background_ && background_->isLoaded()) context->drawBitmap(*background_, kPanelRect);
  context->setFrameColor(kOutlineColor);
  context->setLineWidth(kOutlineWidth);
  context->frameRect(kPanelRect);
  context->setLineWidth(1);
  context->setFillColor(kOutlineColor);
  context->fillRect(kBandRect);

  for (const PanelText& t : kTexts) {
    printer_.setBright(t.bright);
    printer_.print(context, t.text, CPoint(t.x, baseline(t.line)));
  }
  char latency[16];
  const int length = std::snprintf(latency, sizeof latency, "%d", getLatency());
  if (length > 0) {
    printer_.setBright(false);
    printer_.print(context, std::string_view(latency, static_cast<std::size_t>(length)),
                   CPoint(kLatencyEnd - CTextPrinter::kAdvance * length, baseline(kLatencyLine)));
  }
}
