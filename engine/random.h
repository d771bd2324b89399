// The engine's uniform random generator: three Tausworthe registers combined by exclusive or.
// One state serves the requantizer's dither and the calibration noise.
#pragma once

#include <cstdint>

namespace stellix {

class RandomGenerator {
 public:
  static constexpr std::uint32_t kSeed1 = 592;
  static constexpr std::uint32_t kSeed2 = 153768;
  static constexpr std::uint32_t kSeed3 = 1526;

  RandomGenerator() noexcept { seed(); }

  // The state every engine reset starts from.
  void seed() noexcept {
    s1_ = kSeed1;
    s2_ = kSeed2;
    s3_ = kSeed3;
  }

  // One step of the three registers; returns their exclusive or.
  std::uint32_t nextBits() noexcept {
    s1_ = ((((s1_ >> 9) ^ s1_) >> 6) & 0x1FFFu) ^ (s1_ << 13);
    s2_ = ((((s2_ >> 2) ^ s2_) >> 7) & 0xFFFFFu) ^ (s2_ << 20);
    s3_ = ((((s3_ >> 6) ^ s3_) >> 8) & 0x1FFFFu) ^ (s3_ << 17);
    return s1_ ^ s2_ ^ s3_;
  }

  // One step as a uniform value, -1 <= u < 1. The factor is the double nearest to
  // 2.3283064365e-10, slightly below 2^-32, so the largest register value stays below 1.
  double next() noexcept { return static_cast<double>(nextBits()) * 2.3283064365e-10 * 2.0 - 1.0; }

  friend bool operator==(const RandomGenerator& a, const RandomGenerator& b) noexcept {
    return a.s1_ == b.s1_ && a.s2_ == b.s2_ && a.s3_ == b.s3_;
  }

 private:
  std::uint32_t s1_, s2_, s3_;
};

}  // namespace stellix
