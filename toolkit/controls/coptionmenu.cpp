#include "toolkit/controls/coptionmenu.h"

#include <algorithm>
#include <utility>

#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"
#include "toolkit/platform/common/generic_option_menu.h"

CMenuItem::CMenuItem(std::string title, std::int32_t flags)
    : title_(std::move(title)), flags_(title_ == "-" ? (flags | kSeparator) : flags) {}

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, std::int32_t tag,
                         const SharedBitmap& background, std::int32_t style)
    : CParamDisplay(size, background, style) {
  listener_ = listener;
  tag_ = tag;
  max_ = 0.0f;
  defaultValue_ = 0.0f;
}

COptionMenu::~COptionMenu() {
  if (genericMenu_) genericMenu_->closeSilently();
}

bool COptionMenu::removed(CView* parent) {
  if (genericMenu_) {
    GenericOptionMenu* menu = genericMenu_;
    genericMenu_ = nullptr;
    menu->closeSilently();
  }
  return CParamDisplay::removed(parent);
}

void COptionMenu::updateMax() { max_ = static_cast<float>(std::max(0, getNbEntries() - 1)); }

CMenuItem* COptionMenu::addEntry(const std::string& title, int index, std::int32_t flags) {
  auto item = std::make_unique<CMenuItem>(title, flags);
  CMenuItem* raw = item.get();
  if (index < 0 || index >= getNbEntries())
    entries_.push_back(std::move(item));
  else
    entries_.insert(entries_.begin() + index, std::move(item));
  updateMax();
  setDirty();
  return raw;
}

CMenuItem* COptionMenu::getEntry(int index) const {
  if (index < 0 || index >= getNbEntries()) return nullptr;
  return entries_[static_cast<std::size_t>(index)].get();
}

bool COptionMenu::removeEntry(int index) {
  if (index < 0 || index >= getNbEntries()) return false;
  entries_.erase(entries_.begin() + index);
  updateMax();
  setDirty();
  return true;
}

void COptionMenu::removeAllEntry() {
  entries_.clear();
  updateMax();
  setDirty();
}

bool COptionMenu::setCurrent(int index) {
  if (index < 0 || index >= getNbEntries()) return false;
  setValue(static_cast<float>(index));
  return true;
}

int COptionMenu::getCurrent() const {
  if (entries_.empty()) return -1;
  const float v = getValue();
  if (!(v >= 0.0f)) return 0;
  return std::min(getNbEntries() - 1, static_cast<int>(v + 0.5f));
}

void COptionMenu::draw(CDrawContext* context) {
  if (style_ & kNoDrawStyle) return;
  drawBack(context);
  if (style_ & kNoTextStyle) return;
  if (const CMenuItem* item = getEntry(getCurrent())) drawText(context, item->getTitle());
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  popup();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

OptionMenuRequest COptionMenu::makeMenuRequest() const {
  OptionMenuRequest request;
  for (const auto& entry : entries_) request.titles.push_back(entry->isSeparator() ? "-" : entry->getTitle());
  request.current = getCurrent();
  request.entriesPerColumn = entriesPerColumn_;
  const CRect r = getFrameRect();
  request.where = CPoint(r.left, r.bottom);
  return request;
}

bool COptionMenu::popup() {
  CFrame* frame = getFrame();
  if (!frame || genericMenu_) return false;
  const OptionMenuRequest request = makeMenuRequest();
  int chosen = -1;
  if (IPlatformFrame* platform = frame->getPlatformFrame(); platform && platform->popupOptionMenu(request, chosen)) {
    if (chosen >= 0) entryChosen(chosen);
    return true;
  }
  genericMenu_ = GenericOptionMenu::open(*frame, request, getFrameRect(), font_, [this](int index) {
    genericMenu_ = nullptr;
    if (index >= 0) entryChosen(index);
  });
  return true;
}

void COptionMenu::entryChosen(int index) {
  const CMenuItem* item = getEntry(index);
  if (!item || item->isSeparator() || !item->isEnabled()) return;
  setValue(static_cast<float>(index));
  valueChanged();
}
