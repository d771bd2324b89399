// File selector, message box and document opening on Linux through the desktop's helper
// programs: zenity, else kdialog, for the dialogs, and xdg-open for documents. Each runs as
// a child process with an argument vector; a dialog holds the calling thread until it ends.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/platform/iplatformframe.h"
#include "toolkit/platform/x11/helperprocess.h"

namespace {

using x11platform::findHelper;
using x11platform::runHelper;

// The folder and proposed name as one path, the form both dialogs take.
std::string startPath(const FileSelectorRequest& request) {
  std::string dir = request.initialDirectory;
  if (dir.empty()) return request.defaultName;
  if (dir.back() != '/') dir += '/';
  return dir + request.defaultName;
}

std::string windowId(void* parent) {
  return std::to_string(static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(parent)));
}

std::vector<std::string> zenityFileArgs(const std::string& zenity, const FileSelectorRequest& request) {
  std::vector<std::string> args{zenity, "--file-selection"};
  if (request.save) {
    args.push_back("--save");
    args.push_back("--confirm-overwrite");
  }
  args.push_back("--title=" + request.title);
  const std::string start = startPath(request);
  if (!start.empty()) args.push_back("--filename=" + start);
  if (!request.extension.empty()) {
    const std::string pattern = "*." + request.extension;
    const std::string name = request.typeDescription.empty() ? pattern : request.typeDescription;
    args.push_back("--file-filter=" + name + " (" + pattern + ") | " + pattern);
  }
  return args;
}

std::vector<std::string> kdialogFileArgs(const std::string& kdialog, const FileSelectorRequest& request, void* parent) {
  std::vector<std::string> args{kdialog, request.save ? "--getsavefilename" : "--getopenfilename"};
  std::string start = startPath(request);
  if (start.empty()) {
    const char* home = std::getenv("HOME");
    start = home && *home ? home : "/";
  }
  args.push_back(start);
  if (!request.extension.empty()) {
    const std::string pattern = "*." + request.extension;
    args.push_back(request.typeDescription.empty() ? pattern : pattern + "|" + request.typeDescription);
  }
  args.push_back("--title");
  args.push_back(request.title);
  if (parent) {
    args.push_back("--attach");
    args.push_back(windowId(parent));
  }
  return args;
}

// A name typed without any extension gets the file type's, as the Windows dialog does.
void addExtension(std::string& path, const std::string& extension) {
  if (extension.empty()) return;
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (path.find('.', nameStart) == std::string::npos && nameStart < path.size()) path += "." + extension;
}

}  // namespace

bool runFileSelector(const FileSelectorRequest& request, void* parent, std::string& chosenPath) {
  std::vector<std::string> args;
  const std::string zenity = findHelper("zenity");
  if (!zenity.empty()) {
    args = zenityFileArgs(zenity, request);
  } else {
    const std::string kdialog = findHelper("kdialog");
    if (kdialog.empty()) return false;
    args = kdialogFileArgs(kdialog, request, parent);
  }
  x11platform::HelperResult result = runHelper(args);
  // Both print the path and a newline, and end with 1 when cancelled. A host that ignores
  // SIGCHLD hides the exit code; the empty output of a cancel still tells.
  if (!result.started || (result.exitObserved && result.exitCode != 0)) return false;
  std::string path = std::move(result.output);
  if (!path.empty() && path.back() == '\n') path.pop_back();
  if (path.empty()) return false;
  if (request.save) addExtension(path, request.extension);
  chosenPath = std::move(path);
  return true;
}

void showMessageBox(void* parent, const std::string& title, const std::string& text) {
  const std::string zenity = findHelper("zenity");
  if (!zenity.empty()) {
    // Without --no-markup zenity reads the text as Pango markup and its backslash escapes.
    runHelper({zenity, "--info", "--no-markup", "--title=" + title, "--text=" + text});
    return;
  }
  const std::string kdialog = findHelper("kdialog");
  if (kdialog.empty()) return;
  std::vector<std::string> args{kdialog, "--msgbox", text, "--title", title};
  if (parent) {
    args.push_back("--attach");
    args.push_back(windowId(parent));
  }
  runHelper(args);
}

bool openDocument(const std::string& path) {
  if (path.empty()) return false;
  const std::string xdgOpen = findHelper("xdg-open");
  if (xdgOpen.empty()) return false;
  // xdg-open would take a name that starts with a dash for an option.
  const std::string argument = path[0] == '-' ? "./" + path : path;
  return x11platform::startDetachedHelper({xdgOpen, argument});
}

OpenDocumentResult openDocumentFor(void*, const std::string& path) {
  return openDocument(path) ? OpenDocumentResult::Opened : OpenDocumentResult::Failed;
}
