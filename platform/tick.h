// A millisecond tick count that wraps at 2^32, for timing the editor and meter ballistics.
#pragma once

#include <cstdint>

namespace stellix {

std::uint32_t tickCountMs() noexcept;

}  // namespace stellix
