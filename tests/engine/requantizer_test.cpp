#include "engine/requantizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "limiter_fixture.h"

namespace stellix {
namespace {

enum Type { kOff = 0, kA, kB, kC, kD, kE, kF };

// A requantizer with a type selected at a rate, as after a NoiseShape change.
struct Shaped {
  Requantizer rq;
  Shaped(int type, int rate) {
    rq.requestNoiseShape(type);
    rq.applyRequest(rate);
  }
};

// |1 - sum c_j z^-(j + 1)| of the selected filter at angular frequency w (radians per sample).
double noiseGain(const Requantizer& rq, double w) {
  std::complex<double> h = 1.0;
  for (int j = 0; j < rq.order(); ++j) h -= rq.coefficients().c[j] * std::polar(1.0, -w * (j + 1));
  return std::abs(h);
}

constexpr double kPi = 3.14159265358979323846;

TEST(NoiseShaping, TransferAtDcAndNyquist) {
  struct Case {
    int type, rate;
    double dc, nyquist;
  };
  for (Case c : {Case{kA, 44100, 0.3186, 3.0615}, Case{kF, 44100, 0.2475, 27.558}}) {
    Shaped s(c.type, c.rate);
    EXPECT_NEAR(noiseGain(s.rq, 0.0), c.dc, 5e-5) << "type " << c.type;
    EXPECT_NEAR(noiseGain(s.rq, kPi), c.nyquist, 5e-4) << "type " << c.type;
  }
  // Every type moves noise from the low end to the high end at the common rates.
  for (int rate : {44100, 48000}) {
    for (int type = kA; type <= kF; ++type) {
      Shaped s(type, rate);
      EXPECT_LT(noiseGain(s.rq, 0.0), 1.0) << "type " << type << " at " << rate;
      EXPECT_GT(noiseGain(s.rq, kPi), 1.0) << "type " << type << " at " << rate;
    }
  }
  // Types D to F share one set between 44100 and 48000 Hz.
  for (int type : {kD, kE, kF}) {
    Shaped a(type, 44100), b(type, 48000);
    for (int j = 0; j < 32; ++j) EXPECT_EQ(a.rq.coefficients().c[j], b.rq.coefficients().c[j]) << type << " " << j;
  }
}

TEST(NoiseShaping, SelectionByTypeAndRate) {
  struct Case {
    int type, rate;
    int order;
    const NoiseShapeSet* set;  // null: the set selected before stays
  };
  for (Case c : {Case{kOff, 44100, 12, &noiseShapeOff()},
                 Case{kB, 96000, 12, noiseShapeSet(kB, 96000)},
                 Case{kD, 192000, 32, noiseShapeSet(kD, 192000)},
                 Case{kB, 32000, 12, nullptr},
                 Case{kE, 32000, 32, nullptr},
                 Case{kD, 32000, 32, nullptr}}) {
    for (int before : {kOff, kA}) {
      Shaped s(before, 44100);
      const NoiseShapeSet* previous = &s.rq.coefficients();
      s.rq.requestNoiseShape(c.type);
      s.rq.applyRequest(c.rate);
      EXPECT_EQ(s.rq.order(), c.order) << c.type << " at " << c.rate;
      EXPECT_EQ(&s.rq.coefficients(), c.set ? c.set : previous) << c.type << " at " << c.rate;
    }
  }
  // A rate change re-selects the current type's set for the new rate.
  Shaped s(kE, 44100);
  s.rq.rateChanged(96000);
  EXPECT_EQ(&s.rq.coefficients(), noiseShapeSet(kE, 96000));
  EXPECT_EQ(s.rq.order(), 32);
}

// The parameter thread only records a change: the order and the error index stay in step
// until the audio thread applies it at a block start, and then the index restarts at 0.
TEST(NoiseShaping, ChangeWaitsForTheBlockStart) {
  Shaped s(kF, 44100);
  double l = 0.0, r = 0.0;
  for (int i = 0; i < 29; ++i) s.rq.process(l, r, 32768.0, 1.0 / 32768.0, false, 0.0);
  ASSERT_EQ(s.rq.errorIndex(), 29);
  s.rq.requestNoiseShape(kA);
  s.rq.process(l, r, 32768.0, 1.0 / 32768.0, false, 0.0);
  EXPECT_EQ(s.rq.order(), 32);
  EXPECT_EQ(s.rq.errorIndex(), 30);
  s.rq.applyRequest(44100);
  EXPECT_EQ(s.rq.order(), 12);
  EXPECT_EQ(s.rq.errorIndex(), 0);
  for (int i = 0; i < 100; ++i) {
    s.rq.process(l, r, 32768.0, 1.0 / 32768.0, false, 0.0);
    ASSERT_LT(s.rq.errorIndex(), 12);
  }
  // A pending change is taken over by a rate change.
  s.rq.requestNoiseShape(kD);
  s.rq.rateChanged(96000);
  EXPECT_EQ(&s.rq.coefficients(), noiseShapeSet(kD, 96000));
  s.rq.applyRequest(96000);
  EXPECT_EQ(&s.rq.coefficients(), noiseShapeSet(kD, 96000));
}

// A block gives the bits of the same samples one at a time, also across order changes (the
// entries beyond a shorter order are kept for a longer one) and with autoblack fading.
TEST(NoiseShaping, BlockEqualsSampleBySample) {
  Requantizer a, b;
  std::uint32_t state = 99u;
  auto uniform = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) * (1.0 / 8388608.0) - 1.0;
  };
  for (int type : {kF, kB, kE, kOff, kD}) {
    a.requestNoiseShape(type);
    b.requestNoiseShape(type);
    a.applyRequest(44100);
    b.applyRequest(44100);
    for (int count : {1, 7, 64, 33}) {
      std::vector<double> l(count), r(count);
      for (int i = 0; i < count; ++i) {
        l[i] = count == 33 ? 0.0 : 0.9 * uniform();  // 33: digital silence, autoblack fades
        r[i] = count == 33 ? 0.0 : 0.9 * uniform();
      }
      std::vector<double> l1 = l, r1 = r;
      a.processBlock(l.data(), r.data(), count, 128.0, 1.0 / 128.0, true, 0.01);
      for (int i = 0; i < count; ++i) b.process(l1[i], r1[i], 128.0, 1.0 / 128.0, true, 0.01);
      for (int i = 0; i < count; ++i) {
        ASSERT_EQ(l[i], l1[i]) << type << " " << count << " " << i;
        ASSERT_EQ(r[i], r1[i]) << type << " " << count << " " << i;
      }
      ASSERT_EQ(a.errorIndex(), b.errorIndex());
      ASSERT_EQ(a.autoblackGain(), b.autoblackGain());
    }
  }
}

// Mean power spectral density over DFT bins [k0, k1] of 1024-sample Hann-windowed segments.
double bandDensity(const std::vector<double>& x, int k0, int k1) {
  constexpr int kN = 1024;
  std::vector<double> w(kN);
  double w2 = 0.0;
  for (int i = 0; i < kN; ++i) {
    w[i] = 0.5 - 0.5 * std::cos(2.0 * kPi * i / kN);
    w2 += w[i] * w[i];
  }
  double sum = 0.0;
  int terms = 0;
  for (std::size_t start = 0; start + kN <= x.size(); start += kN) {
    for (int k = k0; k <= k1; ++k) {
      std::complex<double> acc = 0.0;
      for (int i = 0; i < kN; ++i) acc += w[i] * x[start + i] * std::polar(1.0, -2.0 * kPi * k * i / kN);
      sum += std::norm(acc) / w2;
      ++terms;
    }
  }
  return sum / terms;
}

// The requantization error of silence is the dither-and-rounding error (variance step^2 / 4
// for triangular dither) shaped by the noise transfer function.
TEST(NoiseShaping, ErrorSpectrumFollowsTheTransferFunction) {
  constexpr double q = 32768.0;
  constexpr int kSamples = 1 << 18;
  for (int type : {kOff, kA, kC, kE, kF}) {
    Shaped s(type, 44100);
    std::vector<double> out(kSamples);
    for (double& y : out) {
      double l = 0.0, r = 0.0;
      s.rq.process(l, r, q, 1.0 / q, false, 0.0);
      y = l;
    }
    const double variance = 1.0 / (4.0 * q * q);
    struct Band {
      int k0, k1;
    };
    for (Band b : {Band{2, 12}, Band{500, 511}}) {
      double predicted = 0.0;
      for (int k = b.k0; k <= b.k1; ++k) {
        const double g = noiseGain(s.rq, 2.0 * kPi * k / 1024);
        predicted += variance * g * g;
      }
      predicted /= b.k1 - b.k0 + 1;
      const double db = 10.0 * std::log10(bandDensity(out, b.k0, b.k1) / predicted);
      EXPECT_LT(std::fabs(db), 1.0) << "type " << type << ", bins " << b.k0 << ".." << b.k1;
    }
  }
}

TEST(Requantizer, SixteenBitSilenceIsAtMostOneStepOfDither) {
  Requantizer rq;
  std::set<double> seen;
  for (int i = 0; i < 100000; ++i) {
    double l = 0.0, r = 0.0;
    rq.process(l, r, 32768.0, 1.0 / 32768.0, false, 0.0);
    seen.insert(l);
    seen.insert(r);
  }
  EXPECT_EQ(seen, (std::set<double>{-1.0 / 32768.0, 0.0, 1.0 / 32768.0}));
}

TEST(Requantizer, EightBitFullScaleStaysWithinOneStep) {
  Requantizer rq;
  std::set<double> seen;
  for (int i = 0; i < 10000; ++i) {
    double l = 1.0, r = 1.0;
    rq.process(l, r, 128.0, 1.0 / 128.0, false, 0.0);
    seen.insert(l);
    seen.insert(r);
  }
  EXPECT_EQ(seen, (std::set<double>{0.9921875, 1.0, 1.0078125}));
}

// Beyond +-2 the value to quantize is held at +-2 (the output clamp follows anyway): the
// integer conversion stays in range at 24 bits and the shaping filter's memory stays one
// step of error, so normal signal right after is requantized as usual.
TEST(Requantizer, HugeInputNeitherOverflowsNorUpsetsTheShaping) {
  constexpr double q = 8388608.0;
  Shaped s(kF, 44100);
  for (double big : {300.0, -1e6}) {
    double l = big, r = -big;
    s.rq.process(l, r, q, 1.0 / q, false, 0.0);
    EXPECT_NEAR(l, big > 0 ? 2.0 : -2.0, 1.0 / q);
    EXPECT_NEAR(r, big > 0 ? -2.0 : 2.0, 1.0 / q);
    for (int i = 0; i < 64; ++i) {
      double a = 0.25, b = -0.25;
      s.rq.process(a, b, q, 1.0 / q, false, 0.0);
      ASSERT_NEAR(a, 0.25, 1e-4) << i;
      ASSERT_NEAR(b, -0.25, 1e-4) << i;
    }
  }
}

class Autoblack : public ::testing::Test {
 protected:
  static constexpr double q = 32768.0;
  static constexpr int kRate = 44100;
  const double k = 1.0 - std::exp(-1000.0 / (kRate * 10.0));
  Requantizer rq;

  double step(double x) {
    double l = x, r = 0.0;
    rq.process(l, r, q, 1.0 / q, true, k);
    return l;
  }
};

TEST_F(Autoblack, StartsPracticallySilentAndOpensOnTheFirstAudibleSample) {
  for (int i = 0; i < 1000; ++i) ASSERT_LT(std::fabs(step(0.0)), 1e-20) << i;
  EXPECT_LT(std::fabs(step(1e-8)), 1e-20) << "1e-8 is still silence";
  const double y = step(1e-7);
  EXPECT_EQ(rq.autoblackGain(), 1.0);
  EXPECT_EQ(std::fmod(y * q, 1.0), 0.0) << "the sample itself is requantized at full gain";
}

// After the last audible sample the gain falls with a 10 ms time constant and becomes exactly
// 0 after about 1.06 s, so the output is digital zero while dither and shaping run on.
TEST_F(Autoblack, FadesToExactZeroAfterAboutOneSecond) {
  step(0.5);
  int lastNonZero = -1;
  for (int i = 0; i < 2 * kRate; ++i)
    if (step(0.0) != 0.0) lastNonZero = i;
  EXPECT_EQ(rq.autoblackGain(), 0.0);
  EXPECT_GT(lastNonZero, static_cast<int>(0.95 * kRate));
  EXPECT_LT(lastNonZero, static_cast<int>(1.1 * kRate));
  step(2e-8);
  EXPECT_EQ(rq.autoblackGain(), 1.0);
}

// In the limiter path: Quantize on, NoiseShape type F, Autoblack on. After the programme stops
// (and has left the look-ahead delay) both sample types reach exact digital zero.
TEST(RequantizedLimiterPath, SilenceEndsInExactZerosInBothPrecisions) {
  auto check = [](auto zero) {
    using T = decltype(zero);
    auto e = testing::makeEngine({});
    EngineValues& v = e->values();
    v.sw.quantize = 1;
    v.sw.bits = 2;
    v.sw.autoblack = 1;
    e->setNoiseShape(kF);
    std::vector<T> in(44100 / 2), out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<T>(0.3 * std::sin(0.05 * i));
    e->template processLimiter<T>(in.data(), in.data(), out.data(), out.data(), static_cast<std::int32_t>(in.size()));
    std::vector<T> quiet(44100 * 6 / 5, T(0)), tail(quiet.size());
    for (std::size_t i = 0; i < quiet.size(); i += 512) {
      const auto n = static_cast<std::int32_t>(std::min<std::size_t>(512, quiet.size() - i));
      e->template processLimiter<T>(quiet.data() + i, quiet.data() + i, tail.data() + i, tail.data() + i, n);
    }
    EXPECT_EQ(e->requantizer().autoblackGain(), 0.0);
    for (std::size_t i = quiet.size() - 2000; i < quiet.size(); ++i) ASSERT_EQ(tail[i], T(0)) << i;
  };
  check(0.0f);
  check(0.0);
}

// With Power off the requantizer sees the raw input: full scale at 8 bits stays within one
// step (the clamp then holds 1.0), and a sample far beyond full scale at 24 bits is clamped
// instead of overflowing the integer conversion.
TEST(RequantizedLimiterPath, BypassAtFullScaleAndBeyond) {
  struct Case {
    double input;
    int bits, noiseShape;
    std::set<double> outputs;
  };
  for (const Case& c :
       {Case{1.0, 0, kOff, {0.9921875, 1.0}}, Case{300.0, 4, kE, {1.0}}, Case{-300.0, 4, kE, {-1.0}}}) {
    testing::LimiterSettings s;
    s.power = false;
    auto e = testing::makeEngine(s);
    e->values().sw.quantize = 1;
    e->values().sw.bits = c.bits;
    e->setNoiseShape(c.noiseShape);
    std::vector<double> in(2000, c.input), out(2000);
    e->processLimiter<double>(in.data(), in.data(), out.data(), out.data(), 2000);
    const std::set<double> seen(out.begin() + e->latency(), out.end());
    EXPECT_EQ(seen, c.outputs) << c.input << " at bits step " << c.bits;
  }
}

// The engine hands a NoiseShape change to the audio thread at its next block; a sample-rate
// change applies it at once.
TEST(RequantizedLimiterPath, NoiseShapeChangeReachesTheNextBlock) {
  auto e = testing::makeEngine({});
  e->values().sw.quantize = 1;
  e->setNoiseShape(kF);
  EXPECT_EQ(e->requantizer().order(), 12);
  double x = 0.0, y = 0.0;
  e->processLimiter<double>(&x, &x, &y, &y, 1);
  EXPECT_EQ(e->requantizer().order(), 32);
  EXPECT_EQ(&e->requantizer().coefficients(), noiseShapeSet(kF, 44100));

  e->setNoiseShape(kB);
  e->setSampleRate(96000);
  EXPECT_EQ(e->requantizer().order(), 12);
  EXPECT_EQ(&e->requantizer().coefficients(), noiseShapeSet(kB, 96000));
}

// NoiseShape changes from another thread while blocks run: the index never reaches the order.
TEST(RequantizedLimiterPath, NoiseShapeChangesWhileRunning) {
  auto e = testing::makeEngine({});
  e->values().sw.quantize = 1;
  std::atomic<bool> done{false};
  std::thread changer([&] {
    for (int i = 0; !done.load(); ++i) e->setNoiseShape(i % 2 ? kF : kA);
  });
  std::vector<double> in(37, 0.1), out(37);
  for (int block = 0; block < 3000; ++block) {
    e->processLimiter<double>(in.data(), in.data(), out.data(), out.data(), 37);
    const Requantizer& rq = e->requantizer();
    ASSERT_LT(rq.errorIndex(), rq.order()) << block;
    ASSERT_EQ(rq.order(), noiseShapeOrder(rq.type())) << block;
  }
  done = true;
  changer.join();
}

}  // namespace
}  // namespace stellix
