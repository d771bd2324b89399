// The limiter core's chunk kernels built for AVX2 (four doubles per 256-bit vector). Compiled
// with -mavx2 and reached only through the run-time check in limiter_core.cpp.
#include "engine/core_kernels.h"

namespace stellix {
namespace {
typedef double V4 __attribute__((vector_size(32)));
}  // namespace

void followerBankAvx2(const Pair* W, int count, double k, const double* attack, const double* release, bool second,
                      double (*f)[kBankStages], double (*h)[kBankStages], Pair* F) noexcept {
  followerBank<V4, 4>(W, count, k, attack, release, second, f, h, F);
}

void gainsAvx2(const Pair* J, const Pair* F, const double* v, int count, const GainSettings& s, Pair* G,
               Pair* r) noexcept {
  const int done = gainBlock<V4, 4>(J, F, v, count, s, G, r);
  gainRest(J, F, v, done, count, s, G, r);
}

}  // namespace stellix
