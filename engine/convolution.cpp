#include "engine/convolution.h"

#include "engine/fft.h"

namespace stellix {
namespace {

constexpr double kPi = 3.141592653589793;

bool isKernelLength(int N) noexcept { return N >= 4 && N <= SmoothingConvolver::kMaxN && (N & (N - 1)) == 0; }

// sin(pi * p / q) for 0 <= p <= q / 2 from its Taylor series, with basic arithmetic only:
// library sine routines differ between platforms and CPU variants, and the kernel has to come
// out bit-identical everywhere. The argument is at most pi/2, where 13 terms reach far below
// double precision.
double sinPiRatio(int p, int q) noexcept {
  const double y = kPi * (static_cast<double>(p) / q);
  const double y2 = y * y;
  double t = 1.0;
  for (int k = 13; k >= 1; --k) t = 1.0 - y2 * t / ((2.0 * k) * (2.0 * k + 1.0));
  return y * t;
}

// Bell kernel of N taps: sin(x)/x at x_i = -pi + i 2 pi / (N - 1), divided by the sum of the
// taps so that the kernel has unit gain at DC. x_i = pi p / q with p = 2i - (N - 1) and
// q = N - 1; the sine is taken of the exactly reduced ratio, so the end taps (x = +-pi) are 0
// and the kernel is exactly symmetric.
void designKernel(int N, double* taps) noexcept {
  const int q = N - 1;
  double sum = 0.0;
  for (int i = 0; i < N; ++i) {
    int p = 2 * i - q;
    if (p < 0) p = -p;
    double h = 1.0;
    if (p != 0) {
      const int reduced = 2 * p > q ? q - p : p;  // sin(pi - y) = sin(y)
      h = sinPiRatio(reduced, q) / (kPi * (static_cast<double>(p) / q));
    }
    taps[i] = h;
    sum += h;
  }
  for (int i = 0; i < N; ++i) taps[i] /= sum;
}

}  // namespace

struct SmoothingConvolver::Impl {
  alignas(16) double spectrum[2 * kMaxN];  // scaled kernel spectrum, packed
  double taps[kMaxN];
};

SmoothingConvolver::SmoothingConvolver() : impl_(new Impl{}) { prepare(64); }

SmoothingConvolver::~SmoothingConvolver() { delete impl_; }

bool SmoothingConvolver::prepare(int N) noexcept {
  if (!isKernelLength(N)) return false;
  const int n = 2 * N;
  designKernel(N, impl_->taps);
  double* k = impl_->spectrum;
  for (int i = 0; i < n; ++i) k[i] = 0.0;
  for (int i = 0; i < N; ++i) k[2 * i] = impl_->taps[i];
  fft::forward(k, n);
  fft::scale(k, n);
  n_ = N;
  return true;
}

const double* SmoothingConvolver::taps() const noexcept { return impl_->taps; }

void SmoothingConvolver::convolve(double* frame) const noexcept {
  if (frame == nullptr) return;
  const int n = 2 * n_;
  fft::forward(frame, n);
  fft::multiply(frame, impl_->spectrum, n);
  fft::inverse(frame, n);
}

void SmoothingConvolver::convolve(Pair* frame) const noexcept {
  if (frame == nullptr) return;
  fft::convolve(frame, impl_->spectrum, 2 * n_);
}

}  // namespace stellix
