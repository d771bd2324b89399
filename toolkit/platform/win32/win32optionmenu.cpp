#include "toolkit/platform/win32/win32optionmenu.h"

#include "toolkit/platform/win32/widetext.h"

HMENU createWin32OptionMenu(const OptionMenuRequest& request) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (std::size_t i = 0; i < request.titles.size(); ++i) {
    const int index = static_cast<int>(i);
    UINT flags = 0;
    if (request.entriesPerColumn > 0 && index > 0 && index % request.entriesPerColumn == 0) flags |= MF_MENUBREAK;
    if (request.titles[i] == "-") {
      AppendMenuW(menu, flags | MF_SEPARATOR, 0, nullptr);
      continue;
    }
    if (index == request.current) flags |= MF_CHECKED;
    const std::wstring title = wideFromUtf8(request.titles[i]);
    AppendMenuW(menu, flags | MF_STRING, static_cast<UINT_PTR>(index) + 1, title.c_str());
  }
  return menu;
}

int runWin32OptionMenu(HWND window, const OptionMenuRequest& request) {
  HMENU menu = createWin32OptionMenu(request);
  if (!menu) return -1;
  // The menu takes the pointer for itself; a capture from the press that opened it would
  // otherwise outlive the press, whose release the menu consumes.
  if (GetCapture() == window) ReleaseCapture();
  POINT at{request.where.x, request.where.y};
  ClientToScreen(window, &at);
  const int id = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                 at.x, at.y, 0, window, nullptr));
  DestroyMenu(menu);
  return id > 0 ? id - 1 : -1;
}
