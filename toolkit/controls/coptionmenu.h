// A control that pops up a menu of titled entries on a left press and shows the current
// entry's title. Its value is the current entry's index (minimum 0, maximum the last index).
// Choosing an entry sets the value to its index and tells the listener. The menu is the
// platform's native one where there is one, else the toolkit's own drawn in the frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/controls/cparamdisplay.h"
#include "toolkit/platform/iplatformframe.h"

class GenericOptionMenu;

class CMenuItem {
 public:
  enum Flags : std::int32_t { kNoFlags = 0, kDisabled = 1 << 0, kSeparator = 1 << 1 };

  // A title of "-" makes a separator.
  explicit CMenuItem(std::string title, std::int32_t flags = kNoFlags);

  void setTitle(std::string title) { title_ = std::move(title); }
  const std::string& getTitle() const { return title_; }
  void setEnabled(bool state) { flags_ = state ? (flags_ & ~kDisabled) : (flags_ | kDisabled); }
  bool isEnabled() const { return !(flags_ & kDisabled); }
  bool isSeparator() const { return (flags_ & kSeparator) != 0; }

 private:
  std::string title_;
  std::int32_t flags_;
};

class COptionMenu : public CParamDisplay {
 public:
  COptionMenu(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background = nullptr,
              std::int32_t style = 0);
  ~COptionMenu() override;

  // Inserts an entry before index (-1: at the end); answers the entry.
  CMenuItem* addEntry(const std::string& title, int index = -1, std::int32_t flags = CMenuItem::kNoFlags);
  CMenuItem* addSeparator() { return addEntry("-"); }
  CMenuItem* getEntry(int index) const;
  int getNbEntries() const { return static_cast<int>(entries_.size()); }
  bool removeEntry(int index);
  void removeAllEntry();

  // The current entry: the value's index. setCurrent answers false for an index out of range.
  bool setCurrent(int index);
  int getCurrent() const;
  // A column break every count entries (0: one column).
  void setNbEntriesPerColumn(int count) { entriesPerColumn_ = count; }
  int getNbEntriesPerColumn() const { return entriesPerColumn_; }

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool removed(CView* parent) override;

  // Shows the menu (the native one waits for the choice; the toolkit's own answers at
  // once and chooses later). Answers false when the control is not in a frame.
  virtual bool popup();
  bool isPopupOpen() const { return genericMenu_ != nullptr; }
  // The toolkit's own menu while it is open, else null.
  GenericOptionMenu* getGenericMenu() const { return genericMenu_; }

 protected:
  // An entry was chosen: value, listener. Separators and disabled entries are not chosen.
  virtual void entryChosen(int index);
  // The menu's request: titles (separators as "-"), current entry, column size, and the
  // place under the control.
  virtual OptionMenuRequest makeMenuRequest() const;
  void updateMax();

  std::vector<std::unique_ptr<CMenuItem>> entries_;
  int entriesPerColumn_ = 0;
  GenericOptionMenu* genericMenu_ = nullptr;
};
