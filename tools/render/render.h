// Rendering one file through one plug-in instance: stream the input in blocks through
// the plug-in, compensate its latency, write the output and measure both sides.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/audio_io.h"
#include "tools/render/meters.h"
#include "tools/render/settings.h"
#include "tools/render/vst_host.h"

namespace stellix::render {

struct RenderOptions {
  int blockSize = 512;
  bool singlePrecision = false;  // processReplacing instead of processDoubleReplacing
  bool keepLatency = false;
  bool overwrite = false;
  OutputFormat format = OutputFormat::SameAsInput;
  PluginSettings settings;
};

struct Job {
  std::string input;  // empty for the demo material
  std::string output;
};

struct RenderReport {
  std::string input, output;
  int sampleRate = 0, channels = 0;
  std::int64_t frames = 0;   // input frames read
  std::int64_t written = 0;  // output frames written
  int latency = 0;
  bool compensated = true;
  std::string program;                 // the plug-in's current program name
  std::vector<std::string> settings;   // "Drive +6.00 dB" for every parameter set
  std::vector<std::string> notices;
  Levels before{}, after{};
  double seconds = 0.0;        // wall time of the render
  double pluginSeconds = 0.0;  // time spent in the plug-in's processing calls
};

// Shared progress of all jobs: frames read so far; stop asks every job to give up.
struct Progress {
  std::atomic<std::int64_t> frames{0};
  std::atomic<bool> stop{false};
};

// The source a job reads (its file, or the demo material); throws with the cause.
std::unique_ptr<AudioSource> openSource(const Job& job);
// Renders one job; throws std::runtime_error with the cause, leaving no output behind.
RenderReport render(const PluginLibrary& library, const Job& job, const RenderOptions& options, Progress& progress);

}  // namespace stellix::render
