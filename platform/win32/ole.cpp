#include "platform/ole.h"

#include <ole2.h>

namespace stellix {

// OleInitialize succeeds (S_OK or S_FALSE) or fails (RPC_E_CHANGED_MODE when the thread is
// already in the multi-threaded apartment); only a success is balanced.
OleScope::OleScope() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}

OleScope::~OleScope() {
  if (initialised_) OleUninitialize();
}

}  // namespace stellix
