#include "toolkit/cnewfileselector.h"

#include "toolkit/cframe.h"
#include "toolkit/platform/iplatformframe.h"

namespace {

CNewFileSelector::Runner& testRunner() {
  static CNewFileSelector::Runner runner;
  return runner;
}

}  // namespace

void CNewFileSelector::setRunnerForTesting(Runner runner) { testRunner() = std::move(runner); }

CNewFileSelector::CNewFileSelector(CFrame* frame, Style style) : frame_(frame), style_(style) {}

bool CNewFileSelector::runModal() {
  selected_.clear();
  FileSelectorRequest request;
  request.save = style_ == kSelectSaveFile;
  request.title = title_;
  request.initialDirectory = initialDirectory_;
  request.defaultName = defaultSaveName_;
  request.typeDescription = extension_.getDescription();
  request.extension = extension_.getExtension();
  IPlatformFrame* platform = frame_ ? frame_->getPlatformFrame() : nullptr;
  std::string path;
  const bool chosen = testRunner() ? testRunner()(request, path)
                                   : runFileSelector(request, platform ? platform->getNativeHandle() : nullptr, path);
  if (!chosen || path.empty()) return false;
  selected_.push_back(std::move(path));
  return true;
}

const char* CNewFileSelector::getSelectedFile(int index) const {
  if (index < 0 || index >= getNumSelectedFiles()) return nullptr;
  return selected_[static_cast<std::size_t>(index)].c_str();
}
