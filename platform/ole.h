// OLE for the calling thread, held for an object's lifetime (Windows: OleInitialize and
// OleUninitialize, needed by drag and drop in the editor's window; elsewhere nothing).
#pragma once

namespace stellix {

class OleScope {
 public:
  OleScope();
  ~OleScope();
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

 private:
  bool initialised_ = false;
};

}  // namespace stellix
