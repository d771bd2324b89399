#include "tools/render/demo_material.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace stellix::render {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kBeat = 0.5;  // seconds at 120 bpm
constexpr double kBar = 4 * kBeat;

// White noise in -1..1 from a hash of the sample position: the same at every call.
double noise(std::int64_t n, std::uint32_t seed) {
  std::uint32_t x = static_cast<std::uint32_t>(n) * 0x9E3779B1u ^ seed;
  x ^= x >> 16;
  x *= 0x85EBCA6Bu;
  x ^= x >> 13;
  x *= 0xC2B2AE35u;
  x ^= x >> 16;
  return static_cast<double>(x) / 2147483648.0 - 1.0;
}

// Kick: a sine falling from 120 Hz to 45 Hz with a fast decay, and a short click.
double kick(double t) {
  if (t < 0.0 || t > 0.6) return 0.0;
  const double phase = kTwoPi * (45.0 * t + 75.0 * 0.04 * (1.0 - std::exp(-t / 0.04)));
  return std::sin(phase) * std::exp(-t / 0.18) + 0.3 * std::exp(-t / 0.002);
}

// Snare: a 185 Hz body under a noise burst.
double snare(double t, std::int64_t n, std::uint32_t seed) {
  if (t < 0.0 || t > 0.4) return 0.0;
  return 0.5 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.05) + 0.7 * noise(n, seed) * std::exp(-t / 0.07);
}

// Hi-hat: differentiated noise (mostly highs) with a very short decay.
double hat(double t, std::int64_t n, std::uint32_t seed) {
  if (t < 0.0 || t > 0.1) return 0.0;
  return 0.5 * (noise(n, seed) - noise(n - 1, seed)) * std::exp(-t / 0.015);
}

// Roots of the four bars (A, F, C, G) and their triads.
constexpr double kBassRoot[4] = {55.0, 43.654, 65.406, 48.999};
constexpr double kChord[4][3] = {
    {220.0, 261.63, 329.63}, {174.61, 220.0, 261.63}, {261.63, 329.63, 392.0}, {196.0, 246.94, 293.66}};

double bass(double t, int bar) {
  const double inNote = std::fmod(t, kBeat / 2);  // eighth notes
  const double f = kBassRoot[bar];
  double s = 0.0;
  for (int k = 1; k <= 6; ++k) s += std::sin(kTwoPi * k * f * t) / k;  // a soft saw
  return s * std::exp(-inNote / 0.2) * std::min(1.0, inNote / 0.003);
}

double chord(double t, int bar, int channel) {
  const double inBar = std::fmod(t, kBar);
  const double env = std::min(1.0, inBar / 0.08) * std::exp(-inBar / 3.0);
  double s = 0.0;
  for (int v = 0; v < 3; ++v) {
    // Voices spread across the stereo image.
    const double pan = (v - 1) * 0.6;
    const double g = channel == 0 ? 1.0 - std::max(0.0, pan) : 1.0 + std::min(0.0, pan);
    const double f = kChord[bar][v] * (1.0 + 0.002 * (channel == 0 ? -1 : 1));
    s += g * (std::sin(kTwoPi * f * t) + 0.3 * std::sin(kTwoPi * 2 * f * t));
  }
  return s * env;
}

double sampleAt(std::int64_t n, int channel) {
  const double t = static_cast<double>(n) / DemoMaterial::kRate;
  const int bar = static_cast<int>(t / kBar) % 4;
  const double inBar = std::fmod(t, kBar);
  const double beat = std::fmod(t, kBeat);
  const int beatIndex = static_cast<int>(inBar / kBeat);
  double drums = 0.0;
  // Kick on beats 1 and 3, plus the "and" of 3 in every second bar.
  if (beatIndex == 0 || beatIndex == 2) drums += kick(beat);
  if (bar % 2 == 1 && beatIndex == 2) drums += kick(beat - kBeat / 2);
  if (beatIndex == 1 || beatIndex == 3) drums += snare(beat, n, 0x5EEDu);
  drums += hat(std::fmod(t, kBeat / 2), n, channel == 0 ? 0xA11u : 0xB22u) * (channel == 0 ? 1.0 : 0.7);
  return 0.9 * drums + 0.45 * bass(t, bar) + 0.12 * chord(t, bar, channel);
}

}  // namespace

DemoMaterial::DemoMaterial() : samples_(static_cast<std::size_t>(2 * kFrames)) {
  double peak = 0.0;
  for (std::size_t i = 0; i < samples_.size(); ++i) {
    samples_[i] = sampleAt(static_cast<std::int64_t>(i / 2), static_cast<int>(i % 2));
    peak = std::max(peak, std::fabs(samples_[i]));
  }
  const double gain = kPeak / peak;
  for (double& x : samples_) x *= gain;
}

std::size_t DemoMaterial::render(std::int64_t position, double* interleaved, std::size_t frames) const {
  const std::int64_t left = std::max<std::int64_t>(0, kFrames - position);
  const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(frames)));
  std::copy_n(samples_.begin() + 2 * position, 2 * n, interleaved);
  return n;
}

}  // namespace stellix::render
