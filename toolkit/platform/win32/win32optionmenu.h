// Native popup menus for COptionMenu: one menu item per title, identified by index + 1.
#pragma once

#include <windows.h>

#include "toolkit/platform/iplatformframe.h"

// The popup menu of a request: "-" titles are separators, the current entry is checked and
// every entriesPerColumn-th entry starts a new column. The caller destroys it (DestroyMenu).
HMENU createWin32OptionMenu(const OptionMenuRequest& request);

// Shows the menu at the frame point request.where of window and waits for the choice: the
// chosen entry's index, or -1 when the menu was dismissed.
int runWin32OptionMenu(HWND window, const OptionMenuRequest& request);
