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

namespace {

bool isStepped(const ParamInfo& p) { return p.display == Display::Steps || p.display == Display::StepFlags; }

std::string_view trimmed(std::string_view t) {
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
  return t;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// Length of the number at the start of a display text ("+6.00dB" -> 5).
std::size_t numberLength(const std::string& t) {
  const std::size_t n = t.find_first_not_of("+-0123456789.");
  return n == std::string::npos ? t.size() : n;
}

// The unit the editor's field writes after the number ("dB", "%", "ms").
std::string fieldUnit(int index) {
  const std::string t = editorText(index, 0.5f);
  return t.substr(numberLength(t));
}

// Display texts at both ends of a continuous range. A top end that is a word (Leveller's
// "off") is not a number: the range then ends at the text just below it.
std::string lowEndText(int index) { return displayText(index, 0.0f); }
std::string highEndText(int index) {
  const std::string top = displayText(index, 1.0f);
  return numberLength(top) > 0 ? top : displayText(index, std::nextafter(1.0f, 0.0f));
}
// The word shown at the top of a continuous range instead of a number, or empty.
std::string topWord(int index) {
  const std::string top = displayText(index, 1.0f);
  return numberLength(top) > 0 ? std::string() : top;
}

}  // namespace

std::optional<float> valueFromText(int index, std::string_view text) {
  if (index < 0 || index >= kParamCount) return std::nullopt;
  const ParamInfo& p = kParams[index];
  const std::string_view t = trimmed(text);
  if (isStepped(p)) {
    for (int i = 0; i < p.steps; ++i) {
      const float v = stepCentre(i, p.steps);
      if (sameIgnoringCase(t, displayText(index, v))) return v;
    }
    return std::nullopt;
  }
  if (p.display == Display::None) return std::nullopt;
  const std::string word = topWord(index);
  if (!word.empty() && sameIgnoringCase(t, word)) return editorTextToValue(index, word.c_str());

  const std::string s(t);
  char* end = nullptr;
  const double x = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || !std::isfinite(x)) return std::nullopt;
  const std::string_view rest = trimmed(std::string_view(end));
  if (!rest.empty() && !sameIgnoringCase(rest, fieldUnit(index))) return std::nullopt;
  const double lo = leadingNumber(lowEndText(index).c_str());
  const double hi = leadingNumber(highEndText(index).c_str());
  if (x < lo || x > hi) return std::nullopt;  // the field would clamp it: refuse instead
  return editorTextToValue(index, s.c_str());
}

std::string acceptedTexts(int index) {
  if (index < 0 || index >= kParamCount) return {};
  const ParamInfo& p = kParams[index];
  std::string out;
  if (isStepped(p)) {
    for (int i = 0; i < p.steps; ++i) {
      const std::string step = displayText(index, stepCentre(i, p.steps));
      out += (i ? ", " : "") + (step.empty() ? std::string("\"\"") : step);
    }
    return out;
  }
  if (p.display == Display::None) return {};
  const std::string word = topWord(index);
  if (!word.empty()) out = word + ", or ";
  const std::string lo = lowEndText(index), hi = highEndText(index), unit = fieldUnit(index);
  out += lo.substr(0, numberLength(lo)) + " to " + hi.substr(0, numberLength(hi));
  if (!unit.empty()) out += " " + unit;
  return out;
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
