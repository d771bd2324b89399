#include "platform/ole.h"

namespace stellix {

OleScope::OleScope() = default;
OleScope::~OleScope() = default;

}  // namespace stellix
