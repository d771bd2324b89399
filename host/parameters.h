// The parameter table: one row per parameter drives names, labels, steps, display texts,
// host properties and the editor's text fields. Also the normalized-value helpers.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "vst2/aeffect.h"

namespace stellix {

enum ParamIndex : int {
  kOutput = 0,
  kDrive,
  kTransient,
  kRelease,
  kTransShape,
  kLink,
  kOversample,
  kDetectorOrder,
  kPower,
  kScale,
  kBits,
  kNoiseShape,
  kCalibrate,
  kLeveller,
  kMeterOvs,
  kAutoOut,
  kQuantize,
  kAutoblack,
  kMeterType,
  kAttZoom,
  kAttShow,
  kPostMeter,
  kDummy1,
  kDummy2,
  kDummy3,
  kLayoutVersion,
  kParamCount
};

// How a parameter's normalized value reads as text.
enum class Display {
  None,       // no display (unused slots and the layout version)
  OutputDb,   // (v - 1) * 12 dB
  DriveDb,    // (v - 0.5) * 48 dB
  Percent,    // v * 100 %
  ReleaseMs,  // 10^(3 v^0.82030212) ms
  Leveller,   // "off" at exactly 1.0, else (v - 1) * 12 dB
  Steps,      // one text per step
  StepFlags,  // the step index as the flags "1", "2", "L"
};

struct ParamInfo {
  const char* name;
  const char* label;  // unit shown by the host, or null
  int steps;          // 0 for continuous parameters
  Display display;
  const char* const* stepTexts;  // steps entries for Display::Steps
  float stepFloat, smallStepFloat, largeStepFloat;
  int propertyFlags;  // host properties flags; 0: no properties record
};

extern const std::array<ParamInfo, kParamCount> kParams;

constexpr float kLayoutVersionValue = 0.025f;  // layout version 2 of 100 steps

// Step index of v over n steps: n * v in single precision, truncated, limited to 0 .. n - 1.
int stepIndex(float v, int n) noexcept;
// Centre of step i of n: i / n + 0.5 / n in single precision.
float stepCentre(int i, int n) noexcept;

// Display text for the host (without unit), or empty for parameters without a display.
std::string displayText(int index, float v);
// Text of the editor's value fields (unit included) for Output, Drive, Transient, L/R Link,
// Release and Leveller; empty for the others.
std::string editorText(int index, float v);
// Converts typed text of an editor value field back to a normalized value.
std::optional<float> editorTextToValue(int index, const char* text);
// Reads a value as a user writes it: for stepped parameters one of the display texts (any
// letter case); for continuous ones a number within the displayed range, optionally followed
// by the unit of the editor's field ("dB", "%", "ms"), or "off" for Leveller. Nullopt for
// unreadable or out-of-range text and for parameters without a display.
std::optional<float> valueFromText(int index, std::string_view text);
// The forms valueFromText accepts, for messages: "off, on" or "-24.00 to +24.00 dB".
std::string acceptedTexts(int index);
// Fills the host's properties record; false (record untouched) for indices without one.
bool fillProperties(int index, VstParameterProperties& p) noexcept;

// Engine quantities of the continuous parameters.
double outputGainFor(float v) noexcept;        // 2^((v - 1) * 2)
double driveGainFor(float v) noexcept;         // 2^((v - 0.5) * 8)
double transientAmountFor(float v) noexcept;   // (v * 1.4142136)^2 * 0.25 in single precision
double releaseTimeFor(float v) noexcept;       // 10^(3 v^0.82030212) ms
double levellerThresholdFor(float v) noexcept; // 2^((v - 1) * 2)

}  // namespace stellix
