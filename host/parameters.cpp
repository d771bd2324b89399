#include "host/parameters.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace stellix {
namespace {

constexpr const char* kShapeTexts[] = {"A-hard", "B-med", "C-soft"};
constexpr const char* kOffOn[] = {"off", "on"};
constexpr const char* kOrderTexts[] = {"I", "II"};
constexpr const char* kScaleTexts[] = {"K-12", "K-14", "K-20"};
constexpr const char* kBitsTexts[] = {"8", "12", "16", "20", "24"};
constexpr const char* kNoiseShapeTexts[] = {"off", "type A", "type B", "type C", "type D", "type E", "type F"};
constexpr const char* kCalibrateTexts[] = {"off", "left", "l+r uncor", "right"};
constexpr const char* kMeterTypeTexts[] = {"peak", "k-system"};
constexpr const char* kZoomTexts[] = {"24dB", "12dB"};
constexpr const char* kPostTexts[] = {"pre meter", "post meter"};

constexpr int kFloatStep = kVstParameterUsesFloatStep;
constexpr int kSwitch = kVstParameterIsSwitch | kVstParameterUsesFloatStep;

// Release display mapping and its inverse exponent.
constexpr double kReleaseExponent = 0.82030212;
constexpr double kReleaseInverseExponent = 1.2190630447230832;

}  // namespace

// clang-format off
const std::array<ParamInfo, kParamCount> kParams = {{
  // name             label  steps display            texts             step          small         large        flags
  {"Output",          "dB",  0, Display::OutputDb,  nullptr,          1.0f / 24,    1.0f / 240,   1.0f / 24,   kFloatStep},
  {"Drive",           "dB",  0, Display::DriveDb,   nullptr,          1.0f / 96,    1.0f / 960,   1.0f / 96,   kFloatStep},
  {"Transient",       nullptr, 0, Display::Percent, nullptr,          5.0f,         5.0f,         5.0f,        kFloatStep},
  {"Release",         "ms",  0, Display::ReleaseMs, nullptr,          5.0f,         5.0f,         5.0f,        kFloatStep},
  {"TransShape",      nullptr, 3, Display::Steps,   kShapeTexts,      0.5f,         0.5f,         0.5f,        kFloatStep},
  {"L/R Link",        nullptr, 0, Display::Percent, nullptr,          5.0f,         5.0f,         5.0f,        kFloatStep},
  {"Oversample",      nullptr, 2, Display::Steps,   kOffOn,           1.0f,         1.0f,         1.0f,        kSwitch},
  {"DetectorOrder",   nullptr, 2, Display::Steps,   kOrderTexts,      1.0f,         1.0f,         1.0f,        kSwitch},
  {"Power",           nullptr, 2, Display::Steps,   kOffOn,           1.0f,         1.0f,         1.0f,        kSwitch},
  {"Scale",           nullptr, 3, Display::Steps,   kScaleTexts,      0.5f,         0.5f,         0.5f,        kFloatStep},
  {"Bits",            nullptr, 5, Display::Steps,   kBitsTexts,       0.25f,        0.25f,        0.25f,       kFloatStep},
  {"NoiseShape",      nullptr, 7, Display::Steps,   kNoiseShapeTexts, 1.0f / 6,     1.0f / 6,     1.0f / 6,    kFloatStep},
  {"Calibrate",       nullptr, 4, Display::Steps,   kCalibrateTexts,  10.0f / 3,    10.0f / 3,    10.0f / 3,   kFloatStep},
  {"Leveller",        nullptr, 0, Display::Leveller, nullptr,         1.0f / 24,    1.0f / 240,   1.0f / 24,   kFloatStep},
  {"MeterOvs",        nullptr, 2, Display::Steps,   kOffOn,           1.0f,         1.0f,         1.0f,        kSwitch},
  {"AutoOut",         nullptr, 2, Display::Steps,   kOffOn,           1.0f,         1.0f,         1.0f,        kSwitch},
  {"Quantize",        nullptr, 2, Display::Steps,   kOffOn,           1.0f,         1.0f,         1.0f,        kSwitch},
  {"Autoblack",       nullptr, 2, Display::Steps,   kOffOn,           1.0f,         1.0f,         1.0f,        kSwitch},
  {"MeterType",       nullptr, 2, Display::Steps,   kMeterTypeTexts,  1.0f,         1.0f,         1.0f,        kSwitch},
  {"AttZoom",         nullptr, 2, Display::Steps,   kZoomTexts,       1.0f,         1.0f,         1.0f,        kSwitch},
  {"AttShow",         nullptr, 8, Display::StepFlags, nullptr,        10.0f / 7,    10.0f / 7,    10.0f / 7,   kFloatStep},
  {"PostMeter",       nullptr, 2, Display::Steps,   kPostTexts,       1.0f,         1.0f,         1.0f,        kSwitch},
  {"dummy",           nullptr, 0, Display::None,    nullptr,          0.0f,         0.0f,         0.0f,        0},
  {"dummy",           nullptr, 0, Display::None,    nullptr,          0.0f,         0.0f,         0.0f,        0},
  {"dummy",           nullptr, 0, Display::None,    nullptr,          0.0f,         0.0f,         0.0f,        0},
  {"resvd-vid",       nullptr, 100, Display::None,  nullptr,          0.0001f,      0.0f,         0.0f,        kFloatStep},
}};
// clang-format on

int stepIndex(float v, int n) noexcept {
  const float p = static_cast<float>(n) * v;
  if (!(p >= 1.0f)) return 0;  // also negative values and NaN
  if (p >= static_cast<float>(n)) return n - 1;
  return static_cast<int>(p);
}

float stepCentre(int i, int n) noexcept {
  const float fn = static_cast<float>(n);
  return static_cast<float>(i) / fn + 0.5f / fn;
}

namespace {

std::string format(const char* fmt, double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, x);
  return buf;
}

double releaseDisplayMs(float v) { return std::pow(10.0, 3.0 * std::pow(static_cast<double>(v), kReleaseExponent)); }

// Leading decimal number of a typed text, as the C library reads it; unreadable text is 0.
double leadingNumber(const char* text) { return text ? std::strtod(text, nullptr) : 0.0; }

double clampTo(double x, double lo, double hi) { return x < lo ? lo : (x > hi ? hi : x); }

bool equalsIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

}  // namespace

std::string displayText(int index, float v) {
  if (index < 0 || index >= kParamCount) return {};
  const ParamInfo& p = kParams[index];
  switch (p.display) {
    case Display::OutputDb:
      return format("%+.2f", (static_cast<double>(v) - 1.0) * 12.0);
    case Display::DriveDb:
      return format("%+.2f", (static_cast<double>(v) - 0.5) * 48.0);
    case Display::Percent:
      return format("%.1f%%", static_cast<double>(v) * 100.0);
    case Display::ReleaseMs:
      return format("%.1f", releaseDisplayMs(v));
    case Display::Leveller:
      return v == 1.0f ? "off" : format("%+.2fdB", (static_cast<double>(v) - 1.0) * 12.0);
    case Display::Steps:
      return p.stepTexts[stepIndex(v, p.steps)];
    case Display::StepFlags: {
      const int s = stepIndex(v, p.steps);
      std::string t;
      if (s & 1) t += '1';
      if (s & 2) t += '2';
      if (s & 4) t += 'L';
      return t;
    }
    case Display::None:
      break;
  }
  return {};
}

std::string editorText(int index, float v) {
  switch (index) {
    case kDrive:
      return format("%+.2fdB", (static_cast<double>(v) - 0.5) * 48.0);
    case kOutput:
      return format("%+.2fdB", (static_cast<double>(v) - 1.0) * 12.0);
    case kTransient:
    case kLink:
      return format("%.1f%%", static_cast<double>(v) * 100.0);
    case kRelease:
      return format("%.1fms", releaseDisplayMs(v));
    case kLeveller:
      return displayText(kLeveller, v);
    default:
      return {};
  }
}

std::optional<float> editorTextToValue(int index, const char* text) {
  const double x = leadingNumber(text);
  switch (index) {
    case kDrive:
      return static_cast<float>((clampTo(x, -24.0, 24.0) + 24.0) / 48.0);
    case kOutput:
      return static_cast<float>((clampTo(x, -12.0, 0.0) + 12.0) / 12.0);
    case kTransient:
    case kLink:
      return static_cast<float>(x < 0.0 ? 0.0 : clampTo(x, 0.0, 100.0) / 100.0);
    case kRelease:
      return static_cast<float>(std::pow(std::log10(clampTo(x, 1.0, 1000.0)) / 3.0, kReleaseInverseExponent));
    case kLeveller:
      if (text && equalsIgnoringCase(text, "off")) return 1.0f;
      return static_cast<float>((clampTo(x, -12.0, 0.0) + 12.0) / 12.0);
    default:
      return std::nullopt;
  }
}

bool fillProperties(int index, VstParameterProperties& p) noexcept {
  if (index < 0 || index >= kParamCount || kParams[index].propertyFlags == 0) return false;
  const ParamInfo& info = kParams[index];
  p.stepFloat = info.stepFloat;
  p.flags = info.propertyFlags;
  if (index == kLayoutVersion) return true;  // only the step size
  p.smallStepFloat = info.smallStepFloat;
  p.largeStepFloat = info.largeStepFloat;
  std::memset(p.label, 0, sizeof p.label);
  std::strncpy(p.label, info.name, sizeof p.label - 1);
  std::memset(p.shortLabel, 0, sizeof p.shortLabel);
  std::strncpy(p.shortLabel, info.name, sizeof p.shortLabel - 1);
  return true;
}

double outputGainFor(float v) noexcept { return std::exp2((static_cast<double>(v) - 1.0) * 2.0); }
double driveGainFor(float v) noexcept { return std::exp2((static_cast<double>(v) - 0.5) * 8.0); }
double transientAmountFor(float v) noexcept {
  const float a = v * 1.4142136f;
  return static_cast<double>(a * a * 0.25f);
}
double releaseTimeFor(float v) noexcept { return releaseDisplayMs(v); }
double levellerThresholdFor(float v) noexcept { return std::exp2((static_cast<double>(v) - 1.0) * 2.0); }

}  // namespace stellix
