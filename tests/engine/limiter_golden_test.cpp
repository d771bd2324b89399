// Pinned output of the limiter path: fixed signals at a table of settings, in both sample
// types, at several block sizes and on every detector instruction set, must hash to the
// recorded values. The hash covers every output bit, the meter snapshots taken along the way
// and the meters' final readings. Any change to the arithmetic or its order shows up here.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/engine.h"

namespace stellix {
namespace {

class Fnv1a {
 public:
  void add(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i) h_ = (h_ ^ b[i]) * 0x100000001b3ull;
  }
  std::uint64_t value() const { return h_; }

 private:
  std::uint64_t h_ = 0xcbf29ce484222325ull;
};

constexpr int kSegment = 4096;
constexpr int kLength = 3 * kSegment;

// Three segments, made with exact integer and basic floating-point steps only:
//   loud noise over a low tone, well above full scale;
//   a quiet tone with lone spikes, ending in digital silence;
//   a loud tone near half the sample rate (large inter-sample peaks) with noise.
struct Signal {
  std::vector<double> l, r;
};

Signal makeSignal() {
  Signal s{std::vector<double>(kLength), std::vector<double>(kLength)};
  std::uint32_t state = 12345u;
  auto uniform = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) * (1.0 / 8388608.0) - 1.0;
  };
  // Oscillators y[n] = c y[n-1] - y[n-2] with c = 2 cos(w).
  double lo1 = 0.0, lo2 = 0.05, hi1 = 0.0, hi2 = 0.7;
  for (int i = 0; i < kLength; ++i) {
    const double lo = 1.99 * lo1 - lo2;
    lo2 = lo1;
    lo1 = lo;
    const double hi = -1.96 * hi1 - hi2;
    hi2 = hi1;
    hi1 = hi;
    double l, r;
    if (i < kSegment) {
      l = 1.6 * uniform() + 2.0 * lo;
      r = 1.2 * uniform() - 1.5 * lo;
    } else if (i < 2 * kSegment) {
      const int k = i - kSegment;
      l = k < 3000 ? 0.1 * lo : 0.0;
      r = k < 2500 ? 0.05 * lo : 0.0;
      if (k % 700 == 13 && k < 3000) l = (k % 1400 == 13) ? 3.0 : -2.5;
      if (k % 900 == 450 && k < 2500) r = 4.0;
    } else {
      l = 1.3 * hi + 0.2 * uniform();
      r = -1.1 * hi + 0.3 * uniform();
    }
    s.l[i] = l;
    s.r[i] = r;
  }
  return s;
}

struct GoldenCase {
  const char* name;
  int rate = 44100;
  int transShape = 0;
  bool oversample = false;
  bool secondOrder = false;
  bool power = true;
  bool quantize = false;  // 24 bits, NoiseShape type F, Autoblack
  bool meterOvs = false;
  double leveller = 1.0;
  double link = 1.0;
  double transient = 0.02;
  int attShow = 7;
  // Drive and output targets change after the first segment. The input meters then read
  // post-drive: pre-drive they scale by the drive gain at block start, which depends on the
  // block size while the gain moves.
  bool automate = false;
  std::uint64_t hashDouble = 0;
  std::uint64_t hashFloat = 0;
};

void setUp(Engine& e, const GoldenCase& c) {
  EngineValues& v = e.values();
  e.setSampleRate(c.rate);
  e.setTransShape(c.transShape);
  v.driveTarget = 1.5;
  v.outputTarget = 1.0;
  e.setTransient(c.transient);
  e.setReleaseTime(120.0);
  e.setLevellerThreshold(c.leveller);
  v.link = c.link;
  v.sw.oversample = c.oversample ? 1 : 0;
  v.sw.detectorOrder = c.secondOrder ? 1 : 0;
  v.sw.power = c.power ? 1 : 0;
  v.limiterSwitch = c.power ? 1.0 : 0.0;
  v.sw.attShow = c.attShow;
  v.sw.meterOvs = c.meterOvs ? 1 : 0;
  v.sw.quantize = c.quantize ? 1 : 0;
  v.sw.bits = 4;
  v.sw.autoblack = 1;
  v.sw.postMeter = c.automate ? 1 : 0;
  e.setNoiseShape(c.quantize ? 6 : 0);
  e.reset();
}

// Renders the signal in blocks of `block` frames (a divisor of kSegment) and hashes the
// output bits, a meter snapshot at the end of each segment and the final meter readings.
template <typename T>
std::uint64_t render(const GoldenCase& c, const Signal& sig, int block, SimdPath path) {
  Engine e;
  setUp(e, c);
  e.setDetectorPath(path);
  std::vector<T> inL(sig.l.begin(), sig.l.end()), inR(sig.r.begin(), sig.r.end());
  std::vector<T> outL(kLength), outR(kLength);
  Fnv1a h;
  for (int start = 0; start < kLength; start += block) {
    e.processLimiter<T>(inL.data() + start, inR.data() + start, outL.data() + start, outR.data() + start, block);
    if ((start + block) % kSegment == 0) {
      float m[10];
      e.meterSnapshot(m);
      h.add(m, sizeof m);
      if (c.automate) {
        e.values().driveTarget = 3.0;
        e.values().outputTarget = 0.8;
      }
    }
  }
  h.add(outL.data(), outL.size() * sizeof(T));
  h.add(outR.data(), outR.size() * sizeof(T));
  for (int r = 0; r < Meters::kReadings; ++r) {
    const double x = e.meters().raw(static_cast<Meters::Reading>(r));
    h.add(&x, sizeof x);
  }
  return h.value();
}

// clang-format off
const GoldenCase kCases[] = {
    {.name = "default",         .hashDouble = 13457456276204701327ull, .hashFloat = 7006996244094515584ull},
    {.name = "oversample",      .oversample = true, .hashDouble = 1888081825053292090ull, .hashFloat = 14883130235019875853ull},
    {.name = "order2",          .secondOrder = true, .hashDouble = 8163560029666681097ull, .hashFloat = 6947416050425307254ull},
    {.name = "shape1",          .transShape = 1, .hashDouble = 15395867880079433304ull, .hashFloat = 8843865930743550018ull},
    {.name = "shape2",          .transShape = 2, .hashDouble = 16207689712227412441ull, .hashFloat = 8899689601044460641ull},
    {.name = "96k",             .rate = 96000, .hashDouble = 7394664361018667429ull, .hashFloat = 2751647665762417522ull},
    {.name = "96k_oversample",  .rate = 96000, .oversample = true, .meterOvs = true, .hashDouble = 621143410391275487ull, .hashFloat = 4770866829489030359ull},
    {.name = "192k",            .rate = 192000, .transShape = 2, .oversample = true, .hashDouble = 14719213855586278479ull, .hashFloat = 16588240976563837810ull},
    {.name = "quantize_F",      .quantize = true, .hashDouble = 10636955082656969200ull, .hashFloat = 17189005437076867467ull},
    {.name = "meterOvs",        .meterOvs = true, .hashDouble = 15812026337087131268ull, .hashFloat = 12909407051419958309ull},
    {.name = "all_on",          .oversample = true, .secondOrder = true, .quantize = true, .meterOvs = true, .hashDouble = 1527192725476486103ull, .hashFloat = 2174974919329068920ull},
    {.name = "power_off",       .power = false, .quantize = true, .meterOvs = true, .hashDouble = 7237149287581552885ull, .hashFloat = 3267519017132601328ull},
    {.name = "leveller_link",   .leveller = 0.3, .link = 0.4, .transient = 0.5, .attShow = 3, .hashDouble = 2418254103946735582ull, .hashFloat = 13520826934630723622ull},
    {.name = "automation",      .oversample = true, .attShow = 5, .automate = true, .hashDouble = 17260944323378001352ull, .hashFloat = 15904572390641925401ull},
};
// clang-format on

TEST(LimiterGolden, OutputBitsAreThePinnedOnes) {
  const Signal sig = makeSignal();
  for (const GoldenCase& c : kCases) {
    for (SimdPath path : {SimdPath::Scalar, SimdPath::Sse2, SimdPath::Avx2}) {
      if (!simdPathAvailable(path)) continue;
      for (int block : {1, 64, 512, 4096}) {
        const std::uint64_t d = render<double>(c, sig, block, path);
        const std::uint64_t f = render<float>(c, sig, block, path);
        EXPECT_EQ(d, c.hashDouble) << c.name << " double, path " << static_cast<int>(path) << ", block " << block;
        EXPECT_EQ(f, c.hashFloat) << c.name << " float, path " << static_cast<int>(path) << ", block " << block;
      }
    }
  }
}

}  // namespace
}  // namespace stellix
