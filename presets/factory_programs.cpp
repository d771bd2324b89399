#include <cstring>

#include "presets/program.h"

namespace stellix {

void setRecordName(ProgramRecord& p, const char* name) noexcept {
  std::memset(p.name, 0, sizeof p.name);
  if (!name) return;
  std::size_t n = 0;
  while (n < static_cast<std::size_t>(kMaxStoredNameLength) && name[n] != '\0') ++n;
  std::memcpy(p.name, name, n);
}

void readRecordName(const ProgramRecord& p, char* text) noexcept {
  std::memcpy(text, p.name, kProgramNameBytes);
  text[kProgramNameBytes] = '\0';
}

namespace {

// Parameters that differ between the factory programs; the rest are common to all.
struct FactoryRow {
  const char* name;
  float output, drive, transient, release, transShape, link, oversample, detectorOrder;
  float scale, bits, noiseShape, leveller, meterOvs, quantize, meterType;
};

// clang-format off
constexpr FactoryRow kFactory[kNumPrograms] = {
  //  name                     Output    Drive     Trans     Release   Shape     Link  Ovs DetO  Scale  Bits NShape Level     MOvs Quant MType
  {"Default",                  1,        0.5f,     0.2f,     0.7237f,  0.166667f, 1,    0,  0,   0.165f, 1,    0,      1,         0,   0.25f, 0.25f},
  {"Limiter Smooth",           0.999167f, 0.5625f,  0.150375f, 0.723711f, 0.833333f, 1, 0,  0,   0.165f, 1,    0,      1,         0,   0.25f, 0.25f},
  {"Limiter Gentle",           0.999167f, 0.604167f, 0.353483f, 0.656363f, 0.5f,    1,    0,  0,   0.165f, 1,    0,      1,         0,   0.25f, 0.25f},
  {"Limiter Fast",             0.999167f, 0.625f,   0.45f,    0.5f,     0.5f,      1,    0,  0,   0.165f, 1,    0,      1,         0,   0.25f, 0.25f},
  {"Limiter Hard",             0.999167f, 0.625f,   0.5f,     0.656363f, 0.166667f, 0.5f, 0, 0,   0.165f, 1,    0,      1,         0,   0.25f, 0.25f},
  {"Loudness 1",               0.999167f, 0.604167f, 0.238667f, 0.656363f, 0.5f,    0.5f, 0,  0,   0.165f, 1,    0,      0.5f,      0,   0.25f, 0.25f},
  {"Loudness 2",               0.999167f, 0.625f,   0.404367f, 0.656363f, 0.833333f, 0.5f, 0, 1,   0.165f, 1,    0,      0.5f,      0,   0.25f, 0.25f},
  {"Loudness 3",               0.999167f, 0.6875f,  0.5f,     0.5f,     0.5f,      0.33f, 0, 0,   0.165f, 1,    0,      0.25f,     0,   0.25f, 0.25f},
  {"CD Master 1",              0.999167f, 0.583333f, 0.25f,   0.723711f, 0.833333f, 1,   0,  0,   0.5f,   0.5f, 0.354f, 0.5f,      0,   0.75f, 0.75f},
  {"CD Master 2",              0.999167f, 0.625f,   0.4f,     0.610005f, 0.5f,     1,    0,  0,   0.5f,   0.5f, 0.497f, 0.5f,      0,   0.75f, 0.75f},
  {"CD Master 3 [recon]",      0.999167f, 0.625f,   0.4f,     0.656363f, 0.5f,     1,    1,  0,   0.5f,   0.5f, 0.497f, 0.333333f, 1,   0.75f, 0.75f},
  {"Game 1 [8bit]",            0.999167f, 0.625f,   0.3f,     0.610005f, 0.33f,    0.5f, 0,  0,   0.165f, 0,    0.212f, 0.5f,      0,   0.75f, 0.25f},
  {"Game 2 [8bit]",            0.999167f, 0.625f,   0.5f,     0.5f,     0.5f,      0.5f, 0,  0,   0.165f, 0,    0.354f, 0.5f,      0,   0.75f, 0.25f},
  {"TV Limiter",               0.166667f, 0.625f,   0.4f,     0.676097f, 0.5f,     1,    0,  0,   0.165f, 1,    0,      1,         0,   0.25f, 0.75f},
  {"TV Loudness",              0.166667f, 0.625f,   0.4f,     0.610005f, 0.5f,     1,    0,  0,   0.165f, 1,    0,      0.5f,      0,   0.25f, 0.75f},
  {"TV Hot",                   0.166667f, 0.6875f,  0.5f,     0.465453f, 0.5f,     0.33f, 0, 0,   0.165f, 1,    0,      0.5f,      0,   0.25f, 0.75f},
  {"HiRes Limiter",            0.999167f, 0.583333f, 0.15f,   0.676097f, 0.833333f, 1,   0,  0,   0.825f, 1,    0.354f, 1,         0,   0.75f, 0.75f},
  {"HiRes Loudness",           0.999167f, 0.625f,   0.3f,     0.563874f, 0.833333f, 0.5f, 0, 0,   0.825f, 1,    0.497f, 0.5f,      0,   0.75f, 0.75f},
  {"Cine 1",                   0.999167f, 0.583333f, 0.1f,    0.723711f, 0.833333f, 1,   0,  0,   0.825f, 1,    0.354f, 1,         0,   0.75f, 0.75f},
  {"Cine 2 [recon]",           0.999167f, 0.625f,   0.3f,     0.676097f, 0.833333f, 1,   1,  0,   0.825f, 1,    0.497f, 0.5f,      1,   0.75f, 0.75f},
  {"Cine 3",                   0.999167f, 0.645833f, 0.4f,    0.610005f, 0.5f,     1,    0,  0,   0.825f, 1,    0.497f, 0.25f,     0,   0.75f, 0.75f},
  {"Loud Love",                0.999167f, 0.6875f,  0.6f,     0.5f,     0.833333f, 0.66f, 0, 0,   0.165f, 1,    0,      0.5f,      0,   0.25f, 0.25f},
  {"Loud It Up",               0.999167f, 0.6875f,  0.5f,     0.5f,     0.166667f, 0.33f, 0, 0,   0.165f, 1,    0,      0.5f,      0,   0.25f, 0.25f},
  {"Total Disorder",           0.999167f, 0.75f,    0.8f,     0.436034f, 0.33f,    0,    0,  0,   0.165f, 1,    0,      0.5f,      0,   0.25f, 0.25f},
  {"ADAT Limiter",             0.999167f, 0.583333f, 0.150375f, 0.723711f, 0.833333f, 1, 0,  0,   0.5f,   0.7f, 1,      0.5f,      0,   0.75f, 0.25f},
  {"DVD Master 1",             0.999167f, 0.583333f, 0.25f,   0.723711f, 0.833333f, 1,   0,  0,   0.5f,   1,    0.8f,   0.5f,      0,   0.75f, 0.75f},
  {"DVD Master 2 [recon]",     0.999167f, 0.625f,   0.4f,     0.656363f, 0.5f,     1,    1,  0,   0.5f,   1,    0.7f,   0.333333f, 1,   0.75f, 0.75f},
};
// clang-format on

}  // namespace

void fillFactoryBank(ProgramRecord* bank) noexcept {
  for (int i = 0; i < kNumPrograms; ++i) {
    const FactoryRow& f = kFactory[i];
    ProgramRecord& p = bank[i];
    setRecordName(p, f.name);
    const float values[kNumParams] = {
        f.output, f.drive, f.transient, f.release, f.transShape, f.link, f.oversample, f.detectorOrder,
        1.0f,      // Power on
        f.scale, f.bits, f.noiseShape,
        0.0f,      // Calibrate off
        f.leveller, f.meterOvs,
        0.0f,      // AutoOut off
        f.quantize,
        0.0f,      // Autoblack off
        f.meterType,
        0.0f,      // AttZoom 24dB
        0.9375f,   // AttShow 12L
        0.0f,      // PostMeter pre meter
        0.0f, 0.0f, 0.0f,  // unused slots
        0.025f,    // layout version 2
    };
    std::memcpy(p.values, values, sizeof values);
  }
}

}  // namespace stellix
