// Inter-sample peak interpolators: a 2x midpoint filter (32 symmetric pairs) and three 4x
// phase filters (64 taps each), applied to a window of 64 consecutive samples.
#pragma once

#include <array>

namespace stellix::interp {

// Half-band midpoint taps as stored, outermost pair first. The filter uses them doubled.
inline constexpr std::array<double, 32> kMidpointStored = {
    -4.763696282094e-07, 1.998243211857e-06,  -5.59451993319e-06, 1.233950728987e-05, -2.390300486257e-05,
    4.265195384663e-05,  -7.176381980318e-05, 0.0001153490356228, -0.000178579162669, 0.0002678174647425,
    -0.0003907495989578, 0.0005565144132189,  -0.000775838777941, 0.001061186491039,  -0.001426940379682,
    0.001889650102735,   -0.002468398132052,  0.003185367085931,  -0.004066740630815, 0.005144152078855,
    -0.00645703822168,   0.008056519728669,   -0.01001194089823,  0.012422252953,     -0.01543673753879,
    0.01929508222185,    -0.02441136236933,   0.03157011681841,   -0.04245854577816,  0.06147574255944,
    -0.1047780783523,    0.3178658799033};

// Quarter-sample phase (from the centre sample toward its predecessor), tap 0 on the oldest.
inline constexpr std::array<double, 64> kQuarter = {
    -1.1e-06,   2.75e-05,   -9.19e-05,  0.0001976,  -0.0003479, 0.0005466,  -0.0007972, 0.001104,
    -0.0014711, 0.0019034,  -0.002406,  0.0029851,  -0.0036474, 0.0044013,  -0.0052563, 0.0062245,
    -0.0073207, 0.0085638,  -0.009978,  0.0115954,  -0.0134592, 0.0156288,  -0.0181888, 0.0212625,
    -0.0250382, 0.0298162,  -0.0361076, 0.0448553,  -0.0580102, 0.0803645,  -0.1276698, 0.2996989,
    0.9001807,  -0.1793862, 0.0988198,  -0.0675074, 0.0506881,  -0.0400874, 0.032728,   -0.0272766,
    0.0230473,  -0.0196516, 0.0168535,  -0.0145012, 0.0124932,  -0.0107589, 0.0092477,  -0.0079225,
    0.0067555,  -0.0057254, 0.0048155,  -0.0040124, 0.0033054,  -0.0026856, 0.0021455,  -0.0016788,
    0.0012797,  -0.0009433, 0.0006651,  -0.000441,  0.0002669,  -0.0001394, 5.48e-05,   -9.8e-06};

// First half of the symmetric half-sample phase.
inline constexpr std::array<double, 32> kHalfFirstHalf = {
    -6.1e-06,   5.65e-05,  -0.0001617, 0.0003264, -0.0005557, 0.0008545, -0.0012283, 0.0016828,
    -0.0022244, 0.0028598, -0.0035969, 0.0044443, -0.0054122, 0.0065126, -0.0077601, 0.0091725,
    -0.0107719, 0.0125867, -0.0146538, 0.0170218, -0.0197567, 0.0229502, -0.026733,  0.0312985,
    -0.0369441, 0.0441522, -0.0537576, 0.0673398, -0.0882875, 0.1254161, -0.2110582, 0.6362364};

// 2x midpoint coefficients, pair k weighting window[k] + window[63 - k].
struct MidpointTable {
  double c[32];
};
inline constexpr MidpointTable kC2 = [] {
  MidpointTable t{};
  for (int k = 0; k < 32; ++k) t.c[k] = 2.0 * kMidpointStored[k];
  return t;
}();

// The three 4x phases: p[0] a quarter, p[1] half and p[2] three quarters of the way from the
// centre sample window[32] toward its predecessor window[31].
struct PhaseTable {
  double p[3][64];
};
inline constexpr PhaseTable kPhase = [] {
  PhaseTable t{};
  for (int k = 0; k < 64; ++k) {
    t.p[0][k] = kQuarter[k];
    t.p[1][k] = k < 32 ? kHalfFirstHalf[k] : kHalfFirstHalf[63 - k];
    t.p[2][k] = kQuarter[63 - k];
  }
  return t;
}();

}  // namespace stellix::interp
