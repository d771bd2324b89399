// Smoothing of the brickwall envelope: a bell-shaped FIR kernel of N taps applied to
// frames of 2N samples by real FFT block convolution (overlap-add is done by the caller).
#pragma once

#include "engine/vec.h"

namespace stellix {

class SmoothingConvolver {
 public:
  static constexpr int kMaxN = 256;

  // Allocates for the largest transform (n = 2 * kMaxN) and prepares N = 64.
  SmoothingConvolver();
  ~SmoothingConvolver();
  SmoothingConvolver(const SmoothingConvolver&) = delete;
  SmoothingConvolver& operator=(const SmoothingConvolver&) = delete;

  // Designs the N-tap kernel and stores its scaled spectrum. N is 4, 8, ..., 256; any other
  // value is refused (returns false) and the current kernel stays in place. [set-up]
  bool prepare(int N) noexcept;
  // Kernel length N of the current design; frames hold 2N doubles.
  int length() const noexcept { return n_; }
  // The kernel taps of the current design (N values).
  const double* taps() const noexcept;

  // Convolves one frame of 2N doubles in the interleaved layout, in place: on entry the block
  // in the even slots and zeros in the odd slots; on return output sample j in slot 2j and
  // output sample N + j (the overlap into the next block) in slot 2j + 1. [audio]
  void convolve(double* frame) const noexcept;
  // The same on two frames at once (left/right pairs per slot), each lane with the bits of
  // convolve() on its frame. [audio]
  void convolve(Pair* frame) const noexcept;

 private:
  int n_ = 0;
  struct Impl;
  Impl* impl_;
};

}  // namespace stellix
