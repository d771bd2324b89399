// The session's fixed test signals. They use only +, -, *, / and floor, so every platform and
// C runtime produces the same bits: differences in the output come from the plug-in alone.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace stellix::session {

constexpr int kMaxBlock = 1024;

// Irregular block sizes, cycled, so that block boundaries fall anywhere.
inline std::size_t blockSize(std::size_t block) {
  static constexpr std::size_t kSizes[] = {512, 1, 64, 333, 1024, 7, 1000, 128};
  return kSizes[block % (sizeof kSizes / sizeof kSizes[0])];
}

// 0.35 s of signal at every rate.
inline std::size_t signalFrames(double rate) { return static_cast<std::size_t>(rate * 0.35); }

// sin(2 pi t), t in turns: reduced to a quarter turn, then a Taylor series.
inline double sineTurns(double t) {
  t -= std::floor(t);
  if (t >= 0.5) t -= 1.0;
  if (t > 0.25) {
    t = 0.5 - t;
  } else if (t < -0.25) {
    t = -0.5 - t;
  }
  const double x = t * 6.283185307179586;
  const double x2 = x * x;
  double term = x, sum = x;
  for (int k = 1; k < 12; ++k) {
    term *= -x2 / static_cast<double>((2 * k) * (2 * k + 1));
    sum += term;
  }
  return sum;
}

// Uniform noise in -1 ... 1 from a 32-bit xorshift generator, reproducible from its seed.
inline double noiseAt(std::uint32_t index, std::uint32_t seed) {
  std::uint32_t x = index * 2654435761u + seed;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  x *= 0x9E3779B1u;
  x ^= x >> 16;
  return static_cast<double>(x) / 2147483647.5 - 1.0;
}

struct Signal {
  const char* name;
  std::pair<double, double> (*at)(std::size_t i, double rate);
  std::pair<double, double> sample(std::size_t i, double rate) const { return at(i, rate); }
};

inline const std::vector<Signal>& testSignals() {
  static const std::vector<Signal> signals = {
      // Two tones well over full scale, rising from -12 dB to +6 dB.
      {"tones",
       [](std::size_t i, double rate) {
         const double t = static_cast<double>(i) / rate;
         const double gain = 0.25 + 1.75 * t / 0.35;
         return std::pair{gain * sineTurns(997.0 * t), gain * 0.8 * sineTurns(1499.0 * t + 0.125)};
       }},
      // Bursts of a tone near a quarter of 44.1 kHz (peaks between samples), 20 ms in every
      // 60 ms, then digital silence for the last 100 ms.
      {"bursts",
       [](std::size_t i, double rate) {
         const double t = static_cast<double>(i) / rate;
         if (t >= 0.25) return std::pair{0.0, 0.0};
         const double phase = t / 0.06 - std::floor(t / 0.06);
         const double level = phase < 1.0 / 3.0 ? 1.9 : 0.05;
         return std::pair{level * sineTurns(11025.0 * t + 0.125), -level * sineTurns(10990.0 * t)};
       }},
      // Noise with a slow level swing and uncorrelated channels.
      {"noise",
       [](std::size_t i, double rate) {
         const double t = static_cast<double>(i) / rate;
         const double level = 0.6 + 0.9 * sineTurns(t * 5.0);
         const auto n = static_cast<std::uint32_t>(i);
         return std::pair{level * noiseAt(n, 1u), level * noiseAt(n, 7u)};
       }},
  };
  return signals;
}

}  // namespace stellix::session
