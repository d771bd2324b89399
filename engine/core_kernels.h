// Chunk kernels of the limiter core, shared by the per-instruction-set translation units
// (limiter_core.cpp for SSE2, limiter_core_avx2.cpp for AVX2). Internal linkage and no
// library calls, as in detector_kernels.h: each unit compiles its own copy for its own
// instruction set.
//
// A vector of V holds independent values (stages of the follower bank, channels or samples of
// the gain computer); every lane computes exactly the scalar expression, so all paths give the
// same bits.
#pragma once

#include "engine/vec.h"

namespace stellix {

constexpr int kBankStages = 8;

// Settings of the gain computer: M and 1 - M per channel, the reading's switches.
struct GainSettings {
  Pair M, M1;
  bool w1, w2, w4;
};

namespace {

template <typename V>
inline V splatLanes(double x) {
  V v;
  for (int i = 0; i < static_cast<int>(sizeof(V) / sizeof(double)); ++i) v[i] = x;
  return v;
}

// a > b ? a : b per lane, as one maximum instruction where the unit's instruction set has it
// (maxpd returns its first operand exactly when it is the greater).
template <typename V>
inline V maxLanes(V a, V b) {
#if defined(__AVX__)
  if constexpr (sizeof(V) == 32) return __builtin_ia32_maxpd256(a, b);
#endif
#if defined(__SSE2__)
  if constexpr (sizeof(V) == 16) return __builtin_ia32_maxpd(a, b);
#endif
  return a > b ? a : b;
}

// Maximum of a vector's pairs of lanes: lane 0 the maximum of its even lanes, lane 1 of its
// odd lanes. The maximum is exact, so any grouping of the lanes gives the same value.
template <typename V>
inline Pair foldToPair(V v) {
  constexpr int kPairs = static_cast<int>(sizeof(V) / sizeof(Pair));
  Pair p[kPairs];
  __builtin_memcpy(p, &v, sizeof v);
  Pair m = p[0];
  for (int i = 1; i < kPairs; ++i) m = maxOf(m, p[i]);
  return m;
}

// Lanes {a0, b0, a2, b2, ..} (odd = 0) or {a1, b1, a3, b3, ..} (odd = 1).
template <typename V>
inline V interleaveLanes(V a, V b, int odd) {
#if defined(__clang__)
  if constexpr (sizeof(V) == 32) {
    return odd ? __builtin_shufflevector(a, b, 1, 5, 3, 7) : __builtin_shufflevector(a, b, 0, 4, 2, 6);
  } else {
    return odd ? __builtin_shufflevector(a, b, 1, 3) : __builtin_shufflevector(a, b, 0, 2);
  }
#else
  typedef long long Index4 __attribute__((vector_size(32)));
  typedef long long Index2 __attribute__((vector_size(16)));
  if constexpr (sizeof(V) == 32) {
    return odd ? __builtin_shuffle(a, b, Index4{1, 5, 3, 7}) : __builtin_shuffle(a, b, Index4{0, 4, 2, 6});
  } else {
    return odd ? __builtin_shuffle(a, b, Index2{1, 3}) : __builtin_shuffle(a, b, Index2{0, 2});
  }
#endif
}

constexpr int kChunkMax = 64;  // longest chunk the kernels take

// Follower bank over a chunk. Per sample the linked detector maxima
// E = (1 - k) W + k max(W_L, W_R) drive eight one-pole stages per channel
// f += (E - f) (E >= f ? attack : release); in order II a second stage per stage
// h += (f - h) (f > h ? attack : release) follows. F = max(1, the last stages).
// f and h are kBankStages values per channel; V holds Lanes consecutive stages.
template <typename V, int Lanes, bool Second>
inline void followerLoop(const Pair* W, int count, double k, const V (&att)[kBankStages / Lanes],
                         const V (&rel)[kBankStages / Lanes], V (&fv)[2][kBankStages / Lanes],
                         V (&hv)[2][kBankStages / Lanes], Pair* F) {
  constexpr int kQ = kBankStages / Lanes;
  const double k1 = 1.0 - k;
  const V one = splatLanes<V>(1.0);
  // The linked inputs first (no recursion), so that the loop below broadcasts them from memory.
  Pair E2[kChunkMax];
  for (int j = 0; j < count; ++j) {
    const Pair w = W[j];
    const double wMax = maxOf(w[0], w[1]);
    E2[j] = k1 * w + k * wMax;
  }
  for (int j = 0; j < count; ++j) {
    V Fc[2];
    for (int ch = 0; ch < 2; ++ch) {
      const V E = splatLanes<V>(E2[j][ch]);
      V Fv = one;
      for (int q = 0; q < kQ; ++q) {
        const V fq = fv[ch][q] + (E - fv[ch][q]) * (E >= fv[ch][q] ? att[q] : rel[q]);
        fv[ch][q] = fq;
        if constexpr (Second) {
          const V hq = hv[ch][q] + (fq - hv[ch][q]) * (fq > hv[ch][q] ? att[q] : rel[q]);
          hv[ch][q] = hq;
          Fv = maxLanes(Fv, hq);
        } else {
          Fv = maxLanes(Fv, fq);
        }
      }
      Fc[ch] = Fv;
    }
    // {max of the left stages, max of the right stages}: interleave the channels' lanes,
    // then fold.
    F[j] = foldToPair(maxLanes(interleaveLanes<V>(Fc[0], Fc[1], 0), interleaveLanes<V>(Fc[0], Fc[1], 1)));
  }
}

template <typename V, int Lanes>
inline void followerBank(const Pair* W, int count, double k, const double* attack, const double* release,
                         bool second, double (*f)[kBankStages], double (*h)[kBankStages], Pair* F) {
  constexpr int kQ = kBankStages / Lanes;
  V fv[2][kQ], hv[2][kQ], att[kQ], rel[kQ];
  for (int ch = 0; ch < 2; ++ch) {
    for (int q = 0; q < kQ; ++q) {
      __builtin_memcpy(&fv[ch][q], f[ch] + q * Lanes, sizeof(V));
      __builtin_memcpy(&hv[ch][q], h[ch] + q * Lanes, sizeof(V));
    }
  }
  for (int q = 0; q < kQ; ++q) {
    __builtin_memcpy(&att[q], attack + q * Lanes, sizeof(V));
    __builtin_memcpy(&rel[q], release + q * Lanes, sizeof(V));
  }
  if (second) {
    followerLoop<V, Lanes, true>(W, count, k, att, rel, fv, hv, F);
  } else {
    followerLoop<V, Lanes, false>(W, count, k, att, rel, fv, hv, F);
  }
  for (int ch = 0; ch < 2; ++ch) {
    for (int q = 0; q < kQ; ++q) {
      __builtin_memcpy(f[ch] + q * Lanes, &fv[ch][q], sizeof(V));
      __builtin_memcpy(h[ch] + q * Lanes, second ? &hv[ch][q] : &fv[ch][q], sizeof(V));
    }
  }
}

// Gain computer over a chunk, Lanes / 2 samples per vector (left/right pairs in sample
// order): G = M / max(J, 1) + (1 - M) / max(F, J) and the reading
// r = (w2 ? G / phi : 1) (w1 ? phi : 1) (w4 ? v : 1) with phi = M + (1 - M) / F.
template <typename V>
inline void gainOne(V J, V F, V v, V M, V M1, const GainSettings& s, V& G, V& r) {
  const V one = splatLanes<V>(1.0);
  G = M / maxLanes(J, one) + M1 / maxLanes(F, J);
  r = one;
  if (s.w1 || s.w2) {
    const V phi = M + M1 / F;
    r = (s.w2 ? G / phi : one) * (s.w1 ? phi : one);
  }
  if (s.w4) r = r * v;
}

template <typename V, int Lanes>
inline int gainBlock(const Pair* J, const Pair* F, const double* v, int count, const GainSettings& s, Pair* G,
                     Pair* r) {
  constexpr int kSamples = Lanes / 2;
  V M, M1;
  for (int i = 0; i < Lanes; i += 2) {
    M[i] = s.M[0];
    M[i + 1] = s.M[1];
    M1[i] = s.M1[0];
    M1[i + 1] = s.M1[1];
  }
  int j = 0;
  for (; j + kSamples <= count; j += kSamples) {
    V Jv, Fv, vv, Gv, rv;
    __builtin_memcpy(&Jv, J + j, sizeof(V));
    __builtin_memcpy(&Fv, F + j, sizeof(V));
    for (int i = 0; i < kSamples; ++i) vv[2 * i] = vv[2 * i + 1] = v[j + i];
    gainOne(Jv, Fv, vv, M, M1, s, Gv, rv);
    __builtin_memcpy(G + j, &Gv, sizeof(V));
    __builtin_memcpy(r + j, &rv, sizeof(V));
  }
  return j;
}

// The samples gainBlock() left over, one pair at a time.
inline void gainRest(const Pair* J, const Pair* F, const double* v, int from, int count, const GainSettings& s,
                     Pair* G, Pair* r) {
  for (int j = from; j < count; ++j) gainOne<Pair>(J[j], F[j], splat(v[j]), s.M, s.M1, s, G[j], r[j]);
}

}  // namespace
}  // namespace stellix
