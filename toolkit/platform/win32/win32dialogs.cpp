// The modal facilities of the Windows build: common file dialogs, message boxes and the
// shell's document opening.
#include <windows.h>
// These need windows.h before them.
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "toolkit/platform/iplatformframe.h"
#include "toolkit/platform/win32/widetext.h"

namespace {

// Dialogs belong to the top-level window of the given one (the host's window around the
// editor), so that the whole of it waits.
HWND ownerOf(void* parent) {
  const HWND window = static_cast<HWND>(parent);
  if (!window || !IsWindow(window)) return nullptr;
  return GetAncestor(window, GA_ROOT);
}

}  // namespace

bool runFileSelector(const FileSelectorRequest& request, void* parent, std::string& chosenPath) {
  std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
  const std::wstring defaultName = wideFromUtf8(request.defaultName);
  std::copy_n(defaultName.begin(), std::min(defaultName.size(), path.size() - 1), path.begin());

  // One file type: "<description> (*.<ext>)" showing "*.<ext>"; the list ends with an empty
  // entry, the string with two zeros.
  std::wstring filter;
  const std::wstring extension = wideFromUtf8(request.extension);
  if (!extension.empty()) {
    const std::wstring pattern = L"*." + extension;
    const std::wstring description = wideFromUtf8(request.typeDescription);
    filter = (description.empty() ? pattern : description + L" (" + pattern + L")");
    filter += L'\0';
    filter += pattern;
    filter += L'\0';
  }
  const std::wstring title = wideFromUtf8(request.title);
  const std::wstring folder = wideFromUtf8(request.initialDirectory);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ownerOf(parent);
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // The host's current directory is left as it was: the caller changes it when it means to.
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  dialog.Flags |= request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
  const BOOL chosen = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen || path[0] == L'\0') return false;
  chosenPath = utf8FromWide(path.data());
  return true;
}

void showMessageBox(void* parent, const std::string& title, const std::string& text) {
  MessageBoxW(ownerOf(parent), wideFromUtf8(text).c_str(), wideFromUtf8(title).c_str(), MB_OK);
}

bool openDocument(const std::string& path) {
  if (path.empty()) return false;
  const HINSTANCE result = ShellExecuteW(nullptr, L"open", wideFromUtf8(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

OpenDocumentResult openDocumentFor(void* parent, const std::string& path) {
  if (path.empty()) return OpenDocumentResult::Failed;
  const HWND window = static_cast<HWND>(parent);
  const HINSTANCE result = ShellExecuteW(window && IsWindow(window) ? window : nullptr, L"open",
                                         wideFromUtf8(path).c_str(), nullptr, nullptr, SW_SHOW);
  const INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) return OpenDocumentResult::Opened;
  return code == SE_ERR_NOASSOC ? OpenDocumentResult::NoAssociation : OpenDocumentResult::Failed;
}
