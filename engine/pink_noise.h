// Pink test noise by the Voss-McCartney method: per channel 8 rows of held uniform values,
// one row renewed per sample (row r at the counter values with r trailing zero bits, row 7 at
// 0 and 128), plus a fresh white value. The 8-bit row counter is shared by both channels.
#pragma once

#include "engine/random.h"

namespace stellix {

class PinkNoise {
 public:
  static constexpr int kRows = 8;

  PinkNoise() noexcept { reset(); }

  void reset() noexcept {
    for (int ch = 0; ch < 2; ++ch) {
      for (double& r : rows_[ch]) r = 0.0;
      sum_[ch] = 0.0;
    }
    counter_ = 0;
  }

  // The row renewed at this sample: the number of trailing zero bits of the counter, at most 7.
  int row() const noexcept {
    int r = 0;
    unsigned k = counter_ | 0x80u;
    while ((k & 1u) == 0) {
      k >>= 1;
      ++r;
    }
    return r;
  }

  // One value of channel ch at the given row: renews that row, then adds a white value.
  // The sum of 9 uniform values, with an RMS of sqrt(3).
  double next(int ch, int row, RandomGenerator& rng) noexcept {
    const double u = rng.next();
    sum_[ch] += u - rows_[ch][row];
    rows_[ch][row] = u;
    return sum_[ch] + rng.next();
  }

  // Moves the shared counter on, once per sample.
  void advance() noexcept { counter_ = (counter_ + 1) & 255u; }

 private:
  double rows_[2][kRows];
  double sum_[2];
  unsigned counter_;
};

}  // namespace stellix
