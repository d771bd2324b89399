#include "toolkit/platform/headless/headless_frame.h"

#include <utility>

#include "toolkit/platform/common/utf8_text.h"

std::unique_ptr<IPlatformTextEdit> HeadlessPlatformFrame::createTextEdit(const TextEditParams& params,
                                                                         IPlatformTextEditCallback* callback) {
  return textEdit_ ? textEdit_(params, callback) : nullptr;
}

bool HeadlessPlatformFrame::popupOptionMenu(const OptionMenuRequest& request, int& chosen) {
  if (!menu_) return false;
  chosen = menu_(request);
  return true;
}

HeadlessFrame::HeadlessFrame(CFrame& frame) : frame_(&frame) { bind(); }

HeadlessFrame::HeadlessFrame(std::unique_ptr<CFrame> frame) : owned_(std::move(frame)), frame_(owned_.get()) { bind(); }

void HeadlessFrame::bind() {
  platform_ = dynamic_cast<HeadlessPlatformFrame*>(frame_->getPlatformFrame());
  if (!platform_) {
    auto platform = std::make_unique<HeadlessPlatformFrame>();
    platform_ = platform.get();
    frame_->attach(std::move(platform));
  }
  frame_->setTicksForTesting(ticks_);
}

void HeadlessFrame::mouseDown(const CPoint& where, const CButtonState& buttons) {
  frame_->platformOnMouseDown(where, buttons);
}

void HeadlessFrame::mouseUp(const CPoint& where, const CButtonState& buttons) {
  frame_->platformOnMouseUp(where, buttons);
}

void HeadlessFrame::mouseMove(const CPoint& where, const CButtonState& buttons) {
  frame_->platformOnMouseMoved(where, buttons);
}

void HeadlessFrame::mouseExit(const CPoint& where) { frame_->platformOnMouseExited(where, CButtonState()); }

void HeadlessFrame::wheel(const CPoint& where, float distance, const CButtonState& buttons) {
  frame_->platformOnWheel(where, distance, buttons);
}

void HeadlessFrame::click(const CPoint& where, const CButtonState& buttons) {
  mouseDown(where, buttons);
  mouseUp(where, buttons);
}

void HeadlessFrame::drag(const CPoint& from, const CPoint& to, const CButtonState& buttons, int steps) {
  mouseDown(from, buttons);
  steps = steps < 1 ? 1 : steps;
  for (int i = 1; i <= steps; ++i) {
    mouseMove(CPoint(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps), buttons);
  }
  mouseUp(to, buttons);
}

bool HeadlessFrame::key(const CKeyEvent& event) { return frame_->platformOnKeyDown(event); }

bool HeadlessFrame::key(VirtualKey virt, std::int32_t modifiers) {
  CKeyEvent event;
  event.virt = virt;
  event.modifiers = modifiers;
  return key(event);
}

void HeadlessFrame::type(std::string_view utf8) {
  for (std::size_t pos = 0; pos < utf8.size();) {
    CKeyEvent event;
    event.character = toolkit_text::decodeAt(utf8, pos);
    key(event);
  }
}

void HeadlessFrame::focusLost() { frame_->platformOnFocusLost(); }

void HeadlessFrame::setTicks(std::uint32_t ticks) {
  ticks_ = ticks;
  frame_->setTicksForTesting(ticks_);
}

void HeadlessFrame::advance(std::uint32_t ms) { setTicks(ticks_ + ms); }

void HeadlessFrame::idle() { frame_->idle(); }

bool HeadlessFrame::writePng(const std::string& path) const {
  return ::writePng(frame_->getFramebuffer(), path.c_str());
}

HeadlessPlatformScope::HeadlessPlatformScope() {
  CFrame::setPlatformFactoryForTesting([this](void*, const CRect&, IPlatformFrameCallback*) {
    auto platform = std::make_unique<HeadlessPlatformFrame>();
    last_ = platform.get();
    ++opened_;
    return platform;
  });
}

HeadlessPlatformScope::~HeadlessPlatformScope() { CFrame::setPlatformFactoryForTesting(nullptr); }
