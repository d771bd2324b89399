#include "platform/tick.h"

#include <windows.h>

namespace stellix {

std::uint32_t tickCountMs() noexcept { return GetTickCount(); }

}  // namespace stellix
