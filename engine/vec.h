// Small vector and branch-free helpers for the engine's hot loops (GCC/Clang vector
// extensions). Every operation is lane-wise IEEE arithmetic or an exact comparison, so a
// lane gives the same bits as the scalar expression it stands for.
#pragma once

namespace stellix {

// A left/right pair of doubles.
typedef double Pair __attribute__((vector_size(16)));

// a > b ? a : b, without a branch.
inline Pair maxOf(Pair a, Pair b) noexcept { return a > b ? a : b; }

inline double maxOf(double a, double b) noexcept {
#if defined(__SSE2__)
  return __builtin_ia32_maxsd(Pair{a, 0.0}, Pair{b, 0.0})[0];
#else
  return a > b ? a : b;
#endif
}

// a < b ? a : b, without a branch.
inline double minOf(double a, double b) noexcept {
#if defined(__SSE2__)
  return __builtin_ia32_minsd(Pair{a, 0.0}, Pair{b, 0.0})[0];
#else
  return a < b ? a : b;
#endif
}

inline Pair splat(double x) noexcept { return Pair{x, x}; }

}  // namespace stellix
