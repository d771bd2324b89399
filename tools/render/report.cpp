#include "tools/render/report.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>

namespace stellix::render {
namespace {

std::string number(const char* fmt, double x) {
  if (std::isinf(x)) return x < 0 ? "-inf" : "+inf";
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, x);
  return buf;
}

std::string row(const char* name, const char* fmt, double before, double after, const char* unit) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "  %-15s %8s %-5s %8s %s\n", name, number(fmt, before).c_str(), unit,
                number(fmt, after).c_str(), unit);
  return buf;
}

}  // namespace

std::string formatReport(const RenderReport& r) {
  std::string s = r.input + " -> " + r.output + "\n";
  const double seconds = r.sampleRate > 0 ? static_cast<double>(r.frames) / r.sampleRate : 0.0;
  s += "  " + std::to_string(r.sampleRate) + " Hz " + (r.channels == 1 ? "mono" : "stereo") + ", " +
       number("%.3f", seconds) + " s; program \"" + r.program + "\"";
  for (const std::string& setting : r.settings) s += "; " + setting;
  s += "\n  latency " + std::to_string(r.latency) + " samples, " +
       (r.compensated ? "compensated" : "kept (output delayed and longer by it)") + "\n";
  s += "                    before         after\n";
  s += row("sample peak", "%+.2f", r.before.samplePeakDb, r.after.samplePeakDb, "dBFS");
  s += row("true peak", "%+.2f", r.before.truePeakDb, r.after.truePeakDb, "dBTP");
  s += row("loudness", "%+.1f", r.before.loudnessLufs, r.after.loudnessLufs, "LUFS");
  s += row("loudness range", "%.1f", r.before.rangeLu, r.after.rangeLu, "LU");
  for (const std::string& n : r.notices) s += "  notice: " + n + "\n";
  const double speed = r.seconds > 0.0 ? seconds / r.seconds : 0.0;
  s += "  rendered in " + number("%.2f", r.seconds) + " s (" + number("%.2f", r.pluginSeconds) + " s in the plug-in), " +
       number("%.0f", speed) + "x real time\n";
  return s;
}

Console::Console(bool showProgress, const Progress& progress, std::int64_t totalFrames, int files)
    : progress_(progress), total_(totalFrames), files_(files), bar_(showProgress && isatty(STDERR_FILENO)) {
  if (!bar_) return;
  thread_ = std::thread([this] {
    // Short renders finish before the bar would be of any use.
    auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (!stop_.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (std::chrono::steady_clock::now() < next) continue;
      next += std::chrono::milliseconds(200);
      std::lock_guard<std::mutex> lock(mutex_);
      draw();
    }
  });
}

Console::~Console() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  clearBar();
}

void Console::draw() {
  const double done = total_ > 0 ? std::min(1.0, static_cast<double>(progress_.frames.load()) / total_) : 0.0;
  constexpr int kWidth = 40;
  const int filled = static_cast<int>(done * kWidth);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(kWidth, '.');
  std::fprintf(stderr, "\r[%s] %3d%%  %d/%d files", bar.c_str(), static_cast<int>(done * 100.0), done_, files_);
  std::fflush(stderr);
  drawn_ = true;
}

void Console::clearBar() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

void Console::out(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  clearBar();
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

void Console::error(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  clearBar();
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

void Console::fileDone() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++done_;
}

}  // namespace stellix::render
