// The open and save file dialogs: a title, an initial folder, a proposed file name and one
// file type. runModal waits until the user chose or cancelled.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/platform/iplatformframe.h"

class CFrame;

class CFileExtension {
 public:
  // extension without the dot ("kvp"); description as shown ("Korvan Preset").
  CFileExtension(std::string description, std::string extension)
      : description_(std::move(description)), extension_(std::move(extension)) {}
  const std::string& getDescription() const { return description_; }
  const std::string& getExtension() const { return extension_; }

 private:
  std::string description_;
  std::string extension_;
};

class CNewFileSelector {
 public:
  enum Style { kSelectFile, kSelectSaveFile };

  // frame gives the window the dialog is modal to (may be null).
  CNewFileSelector(CFrame* frame, Style style);

  void setTitle(std::string title) { title_ = std::move(title); }
  void setInitialDirectory(std::string directory) { initialDirectory_ = std::move(directory); }
  void setDefaultSaveName(std::string name) { defaultSaveName_ = std::move(name); }
  // The one file type offered; a later call replaces it.
  void setDefaultExtension(const CFileExtension& extension) { extension_ = extension; }
  void addFileExtension(const CFileExtension& extension) { extension_ = extension; }

  // Shows the dialog; answers true when a file was chosen.
  bool runModal();
  int getNumSelectedFiles() const { return static_cast<int>(selected_.size()); }
  // The chosen path (UTF-8), or null.
  const char* getSelectedFile(int index) const;

  // Tests: while set, runModal asks this function instead of showing a dialog. It answers
  // true and the chosen path, or false for a cancelled dialog.
  using Runner = std::function<bool(const FileSelectorRequest& request, std::string& chosenPath)>;
  static void setRunnerForTesting(Runner runner);

 private:
  CFrame* frame_;
  Style style_;
  std::string title_;
  std::string initialDirectory_;
  std::string defaultSaveName_;
  CFileExtension extension_{"", ""};
  std::vector<std::string> selected_;
};
