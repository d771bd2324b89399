// In-place split-radix real FFT of lengths n = 8 .. 512 (powers of two).
//
// Time domain: a frame of n doubles in the interleaved layout; slot 2j holds sample j and
// slot 2j + 1 holds sample n/2 + j. A block of n/2 samples in the even slots with zeros in the
// odd slots is that block zero-padded to n.
//
// Frequency domain, same array: pair 0 holds the two real bins (X[0], X[n/2]); pairs
// 1 .. n/2 - 1 hold the other bins of one half spectrum as (re, im), in the order the
// decimation-in-frequency recursion leaves them, some as their conjugate. That order depends
// on n alone, so two spectra of the same length multiply pair by pair without reordering.
//
// The forward transform uses the kernel exp(+i 2 pi k t / n). forward, scale, inverse in
// sequence is the identity (up to rounding). The arithmetic order is fixed, so results are
// bit-identical wherever the code is built without floating-point contraction.
#pragma once

#include "engine/vec.h"

namespace stellix::fft {

constexpr int kMinSize = 8;
constexpr int kMaxSize = 512;

// True for n = 8, 16, ..., 512.
bool isSupportedSize(int n) noexcept;

// Each operation returns false and leaves the data untouched when n is not supported.

// Forward real transform: time frame -> packed spectrum.
bool forward(double* x, int n) noexcept;
// Scales a packed spectrum for the inverse: pair 0 by 1/n, every other pair by 2/n.
bool scale(double* x, int n) noexcept;
// Inverse real transform: scaled packed spectrum -> time frame.
bool inverse(double* x, int n) noexcept;
// x <- x * k bin for bin: pair 0 as two real products, other pairs as complex products.
bool multiply(double* x, const double* k, int n) noexcept;

// forward(), multiply() by the packed spectrum k and inverse() on two frames at once, a
// left/right pair per slot: each lane gets exactly the bits of those calls on its frame.
bool convolve(Pair* x, const double* k, int n) noexcept;

}  // namespace stellix::fft
