// The renderer program on generated files: alignment, mono, bit-exact 24-bit output,
// batches, the report's true peak, the demo material and preset files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <regex>

#include "host/parameters.h"
#include "tests/render/support.h"
#include "tools/testhost/testhost.h"

namespace stellix::render::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A limiter workout: a bass tone with noise bursts peaking well above full scale after
// 6 dB of drive.
Audio music(int channels, std::size_t frames) {
  return makeAudio(channels, frames, [](std::size_t i, int c) {
    const double t = static_cast<double>(i) / 44100.0;
    const double burst = std::exp(-std::fmod(t, 0.25) * 30.0);
    const double noise = std::sin(i * 12.9898 + c * 78.233) * 43758.5453;
    return 0.45 * std::sin(2 * kPi * 80.0 * t) + 0.45 * burst * (noise - std::floor(noise) - 0.5) * 2.0;
  });
}

int reportedLatency(const std::string& report) {
  std::smatch m;
  if (!std::regex_search(report, m, std::regex("latency (\\d+) samples"))) return -1;
  return std::stoi(m[1]);
}

// The "before" and "after" numbers of a report row ("true peak", "sample peak").
std::pair<double, double> reportRow(const std::string& report, const std::string& row) {
  std::smatch m;
  if (!std::regex_search(report, m, std::regex(row + " +([-+0-9.inf]+) \\S+ +([-+0-9.inf]+)")))
    return {NAN, NAN};
  return {std::stod(m[1]), std::stod(m[2])};
}

std::size_t loudestFrame(const Audio& a, int channel) {
  std::size_t best = 0;
  for (std::size_t i = 0; i < a.frames(); ++i)
    if (std::fabs(a.at(i, channel)) > std::fabs(a.at(best, channel))) best = i;
  return best;
}

TEST(Render, AnImpulseComesOutWhereItWentIn) {
  struct Case {
    std::vector<std::string> args;
    bool keepLatency;
  };
  // Odd blocks and the single-precision call move block boundaries around the impulse.
  const Case cases[] = {
      {{}, false}, {{"--block", "37"}, false}, {{"--float"}, false}, {{"--block", "4096"}, false}, {{"--keep-latency"}, true},
  };
  TempDir dir;
  constexpr std::size_t kFrames = 30000, kAt = 10000;
  writeAudio(dir / "in.wav", makeAudio(2, kFrames, [](std::size_t i, int c) { return i == kAt ? (c ? -0.5 : 0.5) : 0.0; }));
  for (const Case& c : cases) {
    std::vector<std::string> args = {dir / "in.wav", dir / "out.wav", "--force"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = runRender(dir, args);
    ASSERT_EQ(r.status, 0) << r.err;
    const int latency = reportedLatency(r.out);
    ASSERT_GT(latency, 0) << r.out;
    const Audio out = readAudio(dir / "out.wav");
    const std::size_t shift = c.keepLatency ? static_cast<std::size_t>(latency) : 0;
    EXPECT_EQ(out.frames(), kFrames + shift) << r.out;
    EXPECT_EQ(loudestFrame(out, 0), kAt + shift) << c.args.size();
    EXPECT_EQ(loudestFrame(out, 1), kAt + shift) << c.args.size();
    EXPECT_NEAR(out.at(kAt + shift, 0), 0.5, 1e-6);
    EXPECT_NEAR(out.at(kAt + shift, 1), -0.5, 1e-6);
  }
}

TEST(Render, MonoInputRendersAsBothChannelsOfStereoWould) {
  TempDir dir;
  const Audio mono = music(1, 44100);
  writeAudio(dir / "mono.wav", mono);
  writeAudio(dir / "dual.wav", makeAudio(2, mono.frames(), [&](std::size_t i, int) { return mono.at(i, 0); }));
  for (const char* name : {"mono", "dual"}) {
    const RunResult r = runRender(dir, {dir / (std::string(name) + ".wav"), dir / (std::string(name) + "-out.wav"), "--set",
                                  "Drive=+6dB"});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  const Audio monoOut = readAudio(dir / "mono-out.wav"), dualOut = readAudio(dir / "dual-out.wav");
  ASSERT_EQ(monoOut.channels, 1);
  ASSERT_EQ(monoOut.frames(), mono.frames());
  double largest = 0.0;
  for (std::size_t i = 0; i < mono.frames(); ++i) {
    ASSERT_EQ(monoOut.at(i, 0), dualOut.at(i, 0)) << i;
    largest = std::max(largest, std::fabs(monoOut.at(i, 0)));
  }
  EXPECT_LE(largest, 1.0);
  EXPECT_GT(largest, 0.5);  // the limiter ran, it did not output silence
}

TEST(Render, QuantizedTo24BitsTheFileHoldsThePluginsValuesExactly) {
  TempDir dir;
  writeAudio(dir / "in.wav", music(2, 3 * 44100 + 123));
  const Audio in = readAudio(dir / "in.wav");  // as the renderer reads it
  const RunResult r = runRender(dir, {dir / "in.wav", dir / "out.wav", "--set", "Drive=+6dB", "--set", "Quantize=on", "--set",
                                "Bits=24"});
  ASSERT_EQ(r.status, 0) << r.err;

  // The plug-in's own output for the same input, through the test host.
  stellix::testing::TestHost host;
  ASSERT_TRUE(host.open()) << host.error();
  host.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
  host.dispatch(effSetBlockSize, 0, 512);
  host.setParameter(kDrive, *valueFromText(kDrive, "+6dB"));
  host.setParameter(kQuantize, *valueFromText(kQuantize, "on"));
  host.setParameter(kBits, *valueFromText(kBits, "24"));
  host.dispatch(effMainsChanged, 0, 1);
  const std::size_t latency = static_cast<std::size_t>(host.effect()->initialDelay);
  std::vector<double> expected[2];
  std::vector<double> inL(512), inR(512), outL(512), outR(512);
  double* ins[2] = {inL.data(), inR.data()};
  double* outs[2] = {outL.data(), outR.data()};
  for (std::size_t at = 0; at < in.frames() + latency; at += 512) {
    const std::size_t n = std::min<std::size_t>(512, in.frames() + latency - at);
    for (std::size_t i = 0; i < n; ++i) {
      inL[i] = at + i < in.frames() ? in.at(at + i, 0) : 0.0;
      inR[i] = at + i < in.frames() ? in.at(at + i, 1) : 0.0;
    }
    host.process(ins, outs, static_cast<VstInt32>(n));
    expected[0].insert(expected[0].end(), outL.begin(), outL.begin() + static_cast<std::ptrdiff_t>(n));
    expected[1].insert(expected[1].end(), outR.begin(), outR.begin() + static_cast<std::ptrdiff_t>(n));
  }

  SF_INFO info{};
  SNDFILE* f = sf_open((dir / "out.wav").c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  ASSERT_EQ(static_cast<std::size_t>(info.frames), in.frames());
  std::vector<int> written(static_cast<std::size_t>(info.frames) * 2);
  sf_readf_int(f, written.data(), info.frames);
  sf_close(f);
  int limited = 0, fullScale = 0;
  for (std::size_t i = 0; i < in.frames(); ++i) {
    for (int c = 0; c < 2; ++c) {
      const double y = expected[c][i + latency] * 8388608.0;
      ASSERT_EQ(y, std::floor(y)) << "the plug-in's value is off the 24-bit grid at " << i;
      // +1.0 lies one step above the largest 24-bit value: the only value written otherwise.
      const int code = y == 8388608.0 ? 8388607 : static_cast<int>(y);
      fullScale += y == 8388608.0;
      ASSERT_EQ(written[i * 2 + c] / 256, code) << "frame " << i << " channel " << c;
      limited += std::fabs(in.at(i, c)) * 2.0 > 1.0;
    }
  }
  EXPECT_GT(limited, 1000);  // the input really needed limiting
  // Nothing is rounded; only full-scale samples, if any, are named.
  EXPECT_EQ(r.out.find("rounded"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find(std::to_string(fullScale) + " samples lay beyond") != std::string::npos, fullScale > 0) << r.out;
}

TEST(Render, ABatchEqualsSingleRuns) {
  TempDir dir;
  fs::create_directory(dir.path() / "batch");
  fs::create_directory(dir.path() / "single");
  writeAudio(dir / "a.wav", music(2, 20000));
  writeAudio(dir / "b.flac", music(2, 30000), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  writeAudio(dir / "c.wav", music(1, 25000));
  const std::vector<std::string> settings = {"--program", "CD Master 1", "--set", "Drive=+3dB"};
  std::vector<std::string> batch = {dir / "a.wav", dir / "b.flac", dir / "c.wav", "--out-dir", dir / "batch", "-j", "3"};
  batch.insert(batch.end(), settings.begin(), settings.end());
  const RunResult r = runRender(dir, batch);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : {"a.wav", "b.flac", "c.wav"}) {
    std::vector<std::string> single = {dir / name, dir / (std::string("single/") + name)};
    single.insert(single.end(), settings.begin(), settings.end());
    const RunResult s = runRender(dir, single);
    ASSERT_EQ(s.status, 0) << s.err;
    const std::string b = fileBytes(dir / (std::string("batch/") + name));
    EXPECT_FALSE(b.empty()) << name;
    EXPECT_EQ(b, fileBytes(dir / (std::string("single/") + name))) << name;
  }
  EXPECT_EQ(dir.entries("batch"), (std::vector<std::string>{"a.wav", "b.flac", "c.wav"}));
}

TEST(Render, TruePeakOfAQuarterRateSineAt45DegreesIs3dBAboveItsSamples) {
  TempDir dir;
  writeAudio(dir / "sine.wav", makeAudio(1, 2 * 44100, [](std::size_t i, int) { return 0.5 * std::sin(kPi / 2 * i + kPi / 4); }),
             SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  const RunResult r = runRender(dir, {dir / "sine.wav", dir / "out.wav"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto [samplePeak, ignored1] = reportRow(r.out, "sample peak");
  const auto [truePeak, ignored2] = reportRow(r.out, "true peak");
  EXPECT_DOUBLE_EQ(samplePeak, -9.03) << r.out;
  EXPECT_DOUBLE_EQ(truePeak, -6.02) << r.out;
  EXPECT_NEAR(truePeak - samplePeak, 3.01, 1e-9) << r.out;
}

TEST(Render, DemoNeedsNoInputFile) {
  TempDir dir;
  const RunResult r = runRender(dir, {"--demo", dir / "demo.wav", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Audio demo = readAudio(dir / "demo.wav");
  EXPECT_EQ(demo.channels, 2);
  EXPECT_EQ(demo.rate, 44100);
  EXPECT_GE(demo.frames(), 4u * 44100);
  const auto [before, after] = reportRow(r.out, "sample peak");
  EXPECT_GT(before, -1.0) << r.out;  // peaks near full scale
  EXPECT_LE(before, 0.0) << r.out;
}

// A preset file of the plug-in as its preset bar writes it: header, name record, value records.
std::string presetFile(const char* name, const std::vector<std::pair<int, float>>& values) {
  std::string b;
  auto i32 = [&](std::int32_t x) { b.append(reinterpret_cast<const char*>(&x), 4); };
  i32(fourCharConst("KrSt"));
  b.push_back(0x22);
  for (std::int32_t x : {0x01050100, 26, 1 + static_cast<int>(values.size()), 0,
                         168 + 32 * static_cast<int>(values.size()), 0, 0, 0, 0})
    i32(x);
  i32(0), i32(156), i32(0);
  std::string n(156, '\0');
  std::memcpy(n.data(), name, std::strlen(name));
  b += n;
  for (const auto& [index, v] : values) {
    i32(1), i32(20), i32(0), i32(index), i32(0), i32(0);
    b.append(reinterpret_cast<const char*>(&v), 4);
    i32(0);
  }
  return b;
}

TEST(Render, PresetFilesLoadIntoTheCurrentProgram) {
  TempDir dir;
  writeAudio(dir / "in.wav", music(2, 10000));
  std::ofstream(dir / "hot.kvp", std::ios::binary) << presetFile("Hot Master", {{kDrive, 0.75f}});
  std::ofstream(dir / "bad.kvp", std::ios::binary) << presetFile("Broken", {{kDrive, 1.5f}});

  const RunResult good = runRender(dir, {dir / "in.wav", dir / "out.wav", "--preset", dir / "hot.kvp", "--list-params"});
  ASSERT_EQ(good.status, 0) << good.err;
  EXPECT_NE(good.out.find("+12.00 dB"), std::string::npos) << good.out;
  const RunResult rendered = runRender(dir, {dir / "in.wav", dir / "out.wav", "--preset", dir / "hot.kvp"});
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  EXPECT_NE(rendered.out.find("program \"Hot Master\""), std::string::npos) << rendered.out;

  const RunResult bad = runRender(dir, {dir / "in.wav", dir / "bad.wav", "--preset", dir / "bad.kvp"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("bad.kvp"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("outside 0..1"), std::string::npos) << bad.err;
  EXPECT_FALSE(fs::exists(dir / "bad.wav"));
}

}  // namespace
}  // namespace stellix::render::testing
