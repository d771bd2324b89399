// Decibels and tick arithmetic shared by the meter displays.
#pragma once

#include <cmath>
#include <cstdint>

namespace stellix {

// 20 log10(v) in single precision, as every meter display converts its readings.
inline float meterDb(float v) { return 20.0f * std::log10(v); }

// A level reading in dB: levels below 1e-6 (and NaN) read as 1e-6, -120 dB.
inline float levelDb(float v) { return meterDb(std::fmax(v, 1e-6f)); }

// Milliseconds from tick last to tick current of the 32-bit millisecond counter, across its
// wrap; a tick older than last (a reading fed out of order) counts as no time.
inline std::int64_t elapsedMs(std::uint32_t last, std::uint32_t current) {
  const auto delta = static_cast<std::int32_t>(current - last);
  return delta > 0 ? delta : 0;
}

// trunc(x) as an int for x already limited to lo .. hi (NaN gives lo), so that no reading,
// however odd, reaches an undefined float-to-int conversion.
inline int truncClamped(float x, float lo, float hi) {
  if (!(x > lo)) return static_cast<int>(lo);
  if (x > hi) return static_cast<int>(hi);
  return static_cast<int>(x);
}

}  // namespace stellix
