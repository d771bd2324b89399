#include "engine/fft.h"

#include "engine/fft_twiddles.h"

namespace stellix::fft {
namespace {

// cos(pi/4) = sin(pi/4); rotations by 45 degrees use it in the form r * (a -+ b).
constexpr double kR = kTwiddle16[2];

template <int M>
constexpr const double* twiddleTable() noexcept {
  static_assert(M >= 16 && M <= 512, "no twiddle table of this length");
  if constexpr (M == 16)
    return kTwiddle16;
  else if constexpr (M == 32)
    return kTwiddle32;
  else if constexpr (M == 64)
    return kTwiddle64;
  else if constexpr (M == 128)
    return kTwiddle128;
  else if constexpr (M == 256)
    return kTwiddle256;
  else
    return kTwiddle512;
}

// ---------------------------------------------------------------------------------------------
// Complex transform C(m) on m complex values stored as (re, im) pairs, natural order in,
// scrambled order out. Decimation in frequency, split radix: per j < m/4 the values at
// j, j + m/4, j + m/2, j + 3m/4 become
//   j, j + m/4       : z[j] + z[j + m/2], z[j + m/4] + z[j + 3m/4]   (half-length problem)
//   j + m/2          : (d1 + i d2) w^j                                 (bins 4k + 1)
//   j + 3m/4         : (d1 - i d2) w^-j                                (bins 4k - 1)
// with d1 = z[j] - z[j + m/2], d2 = z[j + m/4] - z[j + 3m/4], w = exp(i 2 pi / m).
// The inverse C^-1(m) runs the mirror image with conjugate twiddles; C^-1(C(z)) = m z.
// ---------------------------------------------------------------------------------------------

template <typename T, int m>
inline void complexPass(T* z) noexcept {
  constexpr int q = m / 2;  // values per quarter
  for (int j = 0; j < m / 4; ++j) {
    T* a = z + 2 * j;
    T* b = a + q;
    T* c = b + q;
    T* d = c + q;
    const T d1r = a[0] - c[0];
    const T d1i = a[1] - c[1];
    const T d2r = b[0] - d[0];
    const T d2i = b[1] - d[1];
    a[0] = a[0] + c[0];
    a[1] = a[1] + c[1];
    b[0] = b[0] + d[0];
    b[1] = b[1] + d[1];
    const T ur = d1r - d2i;  // d1 + i d2
    const T ui = d1i + d2r;
    const T vr = d1r + d2i;  // d1 - i d2
    const T vi = d1i - d2r;
    if (j == 0) {
      c[0] = ur;
      c[1] = ui;
      d[0] = vr;
      d[1] = vi;
    } else if (8 * j == m) {
      c[0] = kR * (ur - ui);
      c[1] = kR * (ur + ui);
      d[0] = kR * (vr + vi);
      d[1] = kR * (vi - vr);
    } else {
      if constexpr (m >= 16) {  // m = 4 and 8 have no other twiddles
        const double* w = twiddleTable<m>() + 2 * (j - 1);
        c[0] = ur * w[0] - ui * w[1];
        c[1] = ur * w[1] + ui * w[0];
        d[0] = vr * w[0] + vi * w[1];
        d[1] = vi * w[0] - vr * w[1];
      }
    }
  }
}

template <typename T, int m>
inline void complexPassInverse(T* z) noexcept {
  constexpr int q = m / 2;
  for (int j = 0; j < m / 4; ++j) {
    T* a = z + 2 * j;
    T* b = a + q;
    T* c = b + q;
    T* d = c + q;
    T pr, pi, qr, qi;  // (d1 + i d2) and (d1 - i d2), twiddles removed
    if (j == 0) {
      pr = c[0];
      pi = c[1];
      qr = d[0];
      qi = d[1];
    } else if (8 * j == m) {
      pr = kR * (c[0] + c[1]);
      pi = kR * (c[1] - c[0]);
      qr = kR * (d[0] - d[1]);
      qi = kR * (d[0] + d[1]);
    } else {
      if constexpr (m >= 16) {
        const double* w = twiddleTable<m>() + 2 * (j - 1);
        pr = c[0] * w[0] + c[1] * w[1];
        pi = c[1] * w[0] - c[0] * w[1];
        qr = d[0] * w[0] - d[1] * w[1];
        qi = d[0] * w[1] + d[1] * w[0];
      } else {
        pr = pi = qr = qi = T{};  // not reached: m = 4 and 8 have no other twiddles
      }
    }
    const T d1r = pr + qr;
    const T d1i = pi + qi;
    const T d2r = pi - qi;  // -i (p - q)
    const T d2i = qr - pr;
    const T sr = a[0];
    const T si = a[1];
    const T tr = b[0];
    const T ti = b[1];
    a[0] = sr + d1r;
    a[1] = si + d1i;
    c[0] = sr - d1r;
    c[1] = si - d1i;
    b[0] = tr + d2r;
    b[1] = ti + d2i;
    d[0] = tr - d2r;
    d[1] = ti - d2i;
  }
}

template <typename T, int m>
void complexForward(T* z) noexcept {
  if constexpr (m == 1) {
    (void)z;
  } else if constexpr (m == 2) {
    const T ar = z[0], ai = z[1], br = z[2], bi = z[3];
    z[0] = ar + br;
    z[1] = ai + bi;
    z[2] = ar - br;
    z[3] = ai - bi;
  } else {
    complexPass<T, m>(z);
    complexForward<T, m / 2>(z);
    complexForward<T, m / 4>(z + m);
    complexForward<T, m / 4>(z + m + m / 2);
  }
}

template <typename T, int m>
void complexInverse(T* z) noexcept {
  if constexpr (m == 1) {
    (void)z;
  } else if constexpr (m == 2) {
    complexForward<T, 2>(z);  // the 2-point butterfly is its own inverse up to the factor 2
  } else {
    complexInverse<T, m / 2>(z);
    complexInverse<T, m / 4>(z + m);
    complexInverse<T, m / 4>(z + m + m / 2);
    complexPassInverse<T, m>(z);
  }
}

// ---------------------------------------------------------------------------------------------
// Real transform R(n) on the interleaved frame. Per j < n/4 the slots 2j, 2j + 1 (samples j,
// j + n/2) and 2j + n/2, 2j + n/2 + 1 (samples j + n/4, j + 3n/4) become
//   slots 2j, 2j + 1           : e[j], e[j + n/4] with e[t] = x[t] + x[t + n/2]
//                                (the half-length real problem, again interleaved)
//   slots 2j + n/2, + 1        : (a + i b) w^j, a = x[j] - x[j + n/2], b = x[j + n/4] - x[j + 3n/4]
//                                (complex value j of the quarter-length problem, bins 4k + 1)
// with w = exp(i 2 pi / n). Then R(n/2) on the first half and C(n/4) on the second half.
// The inverse mirrors it: R^-1(n/2), C^-1(n/4), then the inverse pass without halving; the
// factors 1/n and 2/n of scale() make the whole chain the identity.
// ---------------------------------------------------------------------------------------------

template <typename T, int n>
inline void realPass(T* x) noexcept {
  constexpr int h = n / 2;
  for (int j = 0; j < n / 4; ++j) {
    T* p = x + 2 * j;
    T* c = p + h;
    const T a = p[0] - p[1];
    const T b = c[0] - c[1];
    p[0] = p[0] + p[1];
    p[1] = c[0] + c[1];
    if (j == 0) {
      c[0] = a;
      c[1] = b;
    } else if (8 * j == n) {
      c[0] = kR * (a - b);
      c[1] = kR * (a + b);
    } else {
      const double* w = twiddleTable<n>() + 2 * (j - 1);
      c[0] = a * w[0] - b * w[1];
      c[1] = a * w[1] + b * w[0];
    }
  }
}

template <typename T, int n>
inline void realPassInverse(T* x) noexcept {
  constexpr int h = n / 2;
  for (int j = 0; j < n / 4; ++j) {
    T* p = x + 2 * j;
    T* c = p + h;
    T a, b;
    if (j == 0) {
      a = c[0];
      b = c[1];
    } else if (8 * j == n) {
      a = kR * (c[0] + c[1]);
      b = kR * (c[1] - c[0]);
    } else {
      const double* w = twiddleTable<n>() + 2 * (j - 1);
      a = c[0] * w[0] + c[1] * w[1];
      b = c[1] * w[0] - c[0] * w[1];
    }
    const T e0 = p[0];
    const T e1 = p[1];
    p[0] = e0 + a;
    p[1] = e0 - a;
    c[0] = e1 + b;
    c[1] = e1 - b;
  }
}

// R(8) as one butterfly network. Pair 0 = (X[0], X[4]), pair 1 = X[2], pair 2 = X[1],
// pair 3 = conj(X[3]).
template <typename T>
inline void realForward8(T* x) noexcept {
  const T a0 = x[0] + x[1], a1 = x[0] - x[1];
  const T a2 = x[2] + x[3], a3 = x[2] - x[3];
  const T a4 = x[4] + x[5], a5 = x[4] - x[5];
  const T a6 = x[6] + x[7], a7 = x[6] - x[7];
  const T s04 = a0 + a4;
  const T s26 = a2 + a6;
  const T u = kR * (a3 - a7);
  const T v = kR * (a3 + a7);
  x[0] = s04 + s26;
  x[1] = s04 - s26;
  x[2] = a0 - a4;
  x[3] = a2 - a6;
  x[4] = a1 + u;
  x[5] = a5 + v;
  x[6] = a1 - u;
  x[7] = a5 - v;
}

// R^-1(8), the mirror image of realForward8.
template <typename T>
inline void realInverse8(T* x) noexcept {
  const T p = x[0] + x[1];
  const T q = x[0] - x[1];
  const T e0 = p + x[2];  // x0 + x1 of the forward network, and so on
  const T e4 = p - x[2];
  const T e2 = q + x[3];
  const T e6 = q - x[3];
  const T ur = x[4] + x[6], ui = x[5] + x[7];
  const T vr = x[4] - x[6], vi = x[5] - x[7];
  const T a = kR * (vr + vi);
  const T b = kR * (vi - vr);
  x[0] = e0 + ur;
  x[1] = e0 - ur;
  x[4] = e4 + ui;
  x[5] = e4 - ui;
  x[2] = e2 + a;
  x[3] = e2 - a;
  x[6] = e6 + b;
  x[7] = e6 - b;
}

template <typename T, int n>
void realForward(T* x) noexcept {
  if constexpr (n == 8) {
    realForward8<T>(x);
  } else {
    realPass<T, n>(x);
    realForward<T, n / 2>(x);
    complexForward<T, n / 4>(x + n / 2);
  }
}

template <typename T, int n>
void realInverse(T* x) noexcept {
  if constexpr (n == 8) {
    realInverse8<T>(x);
  } else {
    realInverse<T, n / 2>(x);
    complexInverse<T, n / 4>(x + n / 2);
    realPassInverse<T, n>(x);
  }
}

template <typename T, template <typename, int> class Op>
bool dispatch(int n, T* x) noexcept {
  switch (n) {
    case 8: Op<T, 8>::run(x); return true;
    case 16: Op<T, 16>::run(x); return true;
    case 32: Op<T, 32>::run(x); return true;
    case 64: Op<T, 64>::run(x); return true;
    case 128: Op<T, 128>::run(x); return true;
    case 256: Op<T, 256>::run(x); return true;
    case 512: Op<T, 512>::run(x); return true;
    default: return false;
  }
}

template <typename T>
inline void multiplyBins(T* x, const double* k, int n) noexcept {
  x[0] *= k[0];
  x[1] *= k[1];
  for (int i = 2; i < n; i += 2) {
    const T re = x[i] * k[i] - x[i + 1] * k[i + 1];
    const T im = x[i + 1] * k[i] + x[i] * k[i + 1];
    x[i] = re;
    x[i + 1] = im;
  }
}

template <typename T, int n>
struct Forward {
  static void run(T* x) noexcept { realForward<T, n>(x); }
};
template <typename T, int n>
struct Inverse {
  static void run(T* x) noexcept { realInverse<T, n>(x); }
};
// Forward, product with a spectrum, inverse: one function per length, so that the short
// transforms compile to straight-line code.
template <typename T, int n>
struct Convolve {
  static void run(T* x, const double* k) noexcept {
    realForward<T, n>(x);
    multiplyBins<T>(x, k, n);
    realInverse<T, n>(x);
  }
};

}  // namespace

bool isSupportedSize(int n) noexcept { return n >= kMinSize && n <= kMaxSize && (n & (n - 1)) == 0; }

bool forward(double* x, int n) noexcept { return x != nullptr && dispatch<double, Forward>(n, x); }

bool inverse(double* x, int n) noexcept { return x != nullptr && dispatch<double, Inverse>(n, x); }

bool scale(double* x, int n) noexcept {
  if (x == nullptr || !isSupportedSize(n)) return false;
  const double s0 = 1.0 / n;  // exact: n is a power of two
  const double s1 = 2.0 / n;
  x[0] *= s0;
  x[1] *= s0;
  for (int i = 2; i < n; ++i) x[i] *= s1;
  return true;
}

bool multiply(double* x, const double* k, int n) noexcept {
  if (x == nullptr || k == nullptr || !isSupportedSize(n)) return false;
  multiplyBins<double>(x, k, n);
  return true;
}

bool convolve(Pair* x, const double* k, int n) noexcept {
  if (x == nullptr || k == nullptr) return false;
  switch (n) {
    case 8: Convolve<Pair, 8>::run(x, k); return true;
    case 16: Convolve<Pair, 16>::run(x, k); return true;
    case 32: Convolve<Pair, 32>::run(x, k); return true;
    case 64: Convolve<Pair, 64>::run(x, k); return true;
    case 128: Convolve<Pair, 128>::run(x, k); return true;
    case 256: Convolve<Pair, 256>::run(x, k); return true;
    case 512: Convolve<Pair, 512>::run(x, k); return true;
    default: return false;
  }
}

}  // namespace stellix::fft
