// A frame's editor for control tests: logs "begin <tag>" and "end <tag>" of every gesture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/vstguieditorinterface.h"

namespace stellix::testing {

class EditorDouble : public VSTGUIEditorInterface {
 public:
  explicit EditorDouble(std::vector<std::string>& log) : log_(log) {}
  void beginEdit(std::int32_t index) override { log_.push_back("begin " + std::to_string(index)); }
  void endEdit(std::int32_t index) override { log_.push_back("end " + std::to_string(index)); }
  CFrame* getFrame() const override { return nullptr; }

 private:
  std::vector<std::string>& log_;
};

}  // namespace stellix::testing
