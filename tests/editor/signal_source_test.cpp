#include "tools/editorhost/signal_source.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace stellix::editorhost {
namespace {

constexpr double kRate = 44100.0;

std::vector<float> render(SignalKind kind, double levelDb, int frames) {
  SignalSource source(kind, levelDb, kRate);
  std::vector<float> out(static_cast<std::size_t>(frames));
  // In odd blocks, so that a block boundary that restarts a phase would show.
  for (int done = 0; done < frames;) {
    const int n = std::min(333, frames - done);
    source.fill(out.data() + done, n);
    done += n;
  }
  return out;
}

double peakDb(const std::vector<float>& x) {
  double peak = 0.0;
  for (float v : x) peak = std::max(peak, std::fabs(static_cast<double>(v)));
  return 20.0 * std::log10(peak);
}

double rmsDb(const std::vector<float>& x) {
  double sum = 0.0;
  for (float v : x) sum += static_cast<double>(v) * v;
  return 10.0 * std::log10(sum / static_cast<double>(x.size()));
}

TEST(EditorHostSignal, Levels) {
  // A sine's RMS is 3.01 dB under its peak; pink noise is given the RMS of that sine.
  const struct {
    SignalKind kind;
    double levelDb;
    double peakDb;  // NAN: not checked
    double rmsDb;
    double tolerance;
  } cases[] = {
      {SignalKind::kSine, -6.0, -6.0, -9.0103, 0.01},  {SignalKind::kSine, -40.0, -40.0, -43.0103, 0.01},
      {SignalKind::kSweep, -6.0, -6.0, -9.0103, 0.05}, {SignalKind::kPink, -6.0, NAN, -9.0103, 0.5},
      {SignalKind::kPink, -20.0, NAN, -23.0103, 0.5},
  };
  for (const auto& c : cases) {
    const auto x = render(c.kind, c.levelDb, static_cast<int>(kRate * 10));
    if (!std::isnan(c.peakDb)) {
      EXPECT_NEAR(peakDb(x), c.peakDb, c.tolerance) << static_cast<int>(c.kind);
    }
    EXPECT_NEAR(rmsDb(x), c.rmsDb, c.tolerance) << static_cast<int>(c.kind) << " at " << c.levelDb;
  }
}

TEST(EditorHostSignal, Silence) {
  for (float v : render(SignalKind::kSilence, -6.0, 4096)) ASSERT_EQ(v, 0.0f);
}

TEST(EditorHostSignal, SineFrequency) {
  // 997 Hz: 1994 zero crossings a second, give or take the one at the ends.
  const auto x = render(SignalKind::kSine, -6.0, static_cast<int>(kRate));
  int crossings = 0;
  for (std::size_t i = 1; i < x.size(); ++i) crossings += (x[i - 1] < 0.0f) != (x[i] < 0.0f);
  EXPECT_NEAR(crossings, 1994, 1);
}

TEST(EditorHostSignal, SweepCoversTheBandAndRestarts) {
  // Zero crossings per 100 ms window: ~4 at 20 Hz at the start, thousands near the end of the
  // 10 s sweep, and low again after the restart.
  const auto x = render(SignalKind::kSweep, -6.0, static_cast<int>(kRate * 10.2));
  auto crossingsFrom = [&](double seconds) {
    const auto start = static_cast<std::size_t>(seconds * kRate);
    int n = 0;
    for (std::size_t i = start + 1; i < start + static_cast<std::size_t>(kRate / 10); ++i) {
      n += (x[i - 1] < 0.0f) != (x[i] < 0.0f);
    }
    return n;
  };
  EXPECT_LE(crossingsFrom(0.0), 6);
  EXPECT_GE(crossingsFrom(9.85), 3000);
  EXPECT_LE(crossingsFrom(10.05), 6);
}

TEST(EditorHostSignal, PinkIsNotWhite) {
  // Pink noise has most of its power at low frequencies: neighbouring samples are strongly
  // correlated, where white noise's are not.
  const auto x = render(SignalKind::kPink, -6.0, 1 << 18);
  double same = 0.0, next = 0.0;
  for (std::size_t i = 1; i < x.size(); ++i) {
    same += static_cast<double>(x[i]) * x[i];
    next += static_cast<double>(x[i]) * x[i - 1];
  }
  EXPECT_GT(next / same, 0.5);
}

}  // namespace
}  // namespace stellix::editorhost
