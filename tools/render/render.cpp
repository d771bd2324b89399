#include "tools/render/render.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "host/parameters.h"

namespace stellix::render {
namespace {

using Clock = std::chrono::steady_clock;

// Measures one stream on a thread of its own, so that measuring overlaps the plug-in's
// processing. Samples travel in chunks through a short queue: when measuring falls behind,
// the renderer waits instead of piling up memory.
class MeterThread {
 public:
  MeterThread(int channels, int sampleRate) : channels_(channels), meter_(channels, sampleRate) {
    for (auto& c : pool_) {
      c.reserve(kChunkFrames * static_cast<std::size_t>(channels));
      free_.push_back(&c);
    }
    filling_ = take();
    thread_ = std::thread([this] { run(); });
  }

  ~MeterThread() { stopThread(); }

  void add(const double* interleaved, std::size_t frames) {
    filling_->insert(filling_->end(), interleaved, interleaved + frames * static_cast<std::size_t>(channels_));
    if (filling_->size() >= kChunkFrames * static_cast<std::size_t>(channels_)) hand(take());
  }

  // Measures what is left; rethrows a failure of the measuring thread.
  Levels finish() {
    hand(nullptr);
    stopThread();
    if (error_) std::rethrow_exception(error_);
    return meter_.result();
  }

 private:
  static constexpr std::size_t kChunkFrames = 8192;
  static constexpr int kChunks = 4;
  using Chunk = std::vector<double>;

  Chunk* take() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty(); });
    Chunk* c = free_.front();
    free_.pop_front();
    return c;
  }

  // Queues the chunk being filled and continues with next (null: no more chunks).
  void hand(Chunk* next) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (filling_) queued_.push_back(filling_);
      filling_ = next;
    }
    changed_.notify_all();
  }

  void run() {
    for (;;) {
      Chunk* c = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !queued_.empty() || done_; });
        if (queued_.empty()) return;
        c = queued_.front();
        queued_.pop_front();
      }
      if (!error_) {
        try {
          meter_.add(c->data(), c->size() / static_cast<std::size_t>(channels_));
        } catch (...) {
          error_ = std::current_exception();
        }
      }
      c->clear();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(c);
      }
      changed_.notify_all();
    }
  }

  void stopThread() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  int channels_;
  LevelMeter meter_;
  Chunk pool_[kChunks];
  Chunk* filling_ = nullptr;
  std::deque<Chunk*> free_, queued_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool done_ = false;
  std::exception_ptr error_;
  std::thread thread_;
};

// Frames read, written and measured at a time; the plug-in gets them in its blocks.
constexpr std::size_t kIoFrames = 8192;

// Streams the source through the plug-in in blocks. The plug-in delays its output by
// latency frames: the input is followed by that many frames of silence, and unless the
// delay is kept, the first latency output frames are dropped, so the output lines up with
// the input and has its length.
template <typename T>
void stream(PluginInstance& plugin, AudioSource& source, AudioSink& sink, MeterThread& before, MeterThread& after,
            int blockSize, int latency, bool keepLatency, Progress& progress, RenderReport& report) {
  const std::size_t block = static_cast<std::size_t>(blockSize);
  const std::size_t io = std::max(block, kIoFrames);
  const std::size_t ch = static_cast<std::size_t>(source.channels());
  std::vector<double> input(io * ch), output(io * ch);
  // Two buffers each way even for mono: the plug-in may look at both pointers. For mono
  // the second input stays silent and the pin answers tell the plug-in to ignore it.
  std::vector<T> in[2] = {std::vector<T>(block), std::vector<T>(block)};
  std::vector<T> out[2] = {std::vector<T>(block), std::vector<T>(block)};
  T* inputs[2] = {in[0].data(), in[1].data()};
  T* outputs[2] = {out[0].data(), out[1].data()};

  const std::int64_t drop = keepLatency ? 0 : latency;
  std::int64_t tail = latency;  // silent frames still to feed after the input's end
  std::int64_t produced = 0;
  bool ended = false;
  Clock::duration inPlugin{};
  for (;;) {
    if (progress.stop.load(std::memory_order_relaxed)) throw std::runtime_error("interrupted");
    std::size_t got = 0;
    if (!ended) {
      got = source.read(input.data(), io);
      ended = got < io;
    }
    std::size_t frames = got;
    if (ended) {
      const auto pad = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(io - got), tail));
      std::fill(input.begin() + static_cast<std::ptrdiff_t>(got * ch),
                input.begin() + static_cast<std::ptrdiff_t>((got + pad) * ch), 0.0);
      tail -= static_cast<std::int64_t>(pad);
      frames += pad;
    }
    if (frames == 0) break;

    for (std::size_t at = 0; at < frames; at += block) {
      const std::size_t n = std::min(block, frames - at);
      const double* x = input.data() + at * ch;
      for (std::size_t c = 0; c < ch; ++c)
        for (std::size_t i = 0; i < n; ++i) in[c][i] = static_cast<T>(x[i * ch + c]);
      const Clock::time_point t0 = Clock::now();
      plugin.process(inputs, outputs, static_cast<int>(n));
      inPlugin += Clock::now() - t0;
      double* y = output.data() + at * ch;
      bool finite = true;
      for (std::size_t c = 0; c < ch; ++c) {
        for (std::size_t i = 0; i < n; ++i) {
          y[i * ch + c] = out[c][i];
          finite &= std::isfinite(y[i * ch + c]);
        }
      }
      if (!finite) {
        throw std::runtime_error("the plug-in produced samples that are not numbers (block at frame " +
                                 std::to_string(produced + static_cast<std::int64_t>(at)) + ")");
      }
    }

    const std::size_t skip =
        produced < drop
            ? static_cast<std::size_t>(std::min<std::int64_t>(drop - produced, static_cast<std::int64_t>(frames)))
            : 0;
    produced += static_cast<std::int64_t>(frames);
    const std::size_t keep = frames - skip;
    sink.write(output.data() + skip * ch, keep);
    before.add(input.data(), got);
    after.add(output.data() + skip * ch, keep);
    report.frames += static_cast<std::int64_t>(got);
    report.written += static_cast<std::int64_t>(keep);
    progress.frames.fetch_add(static_cast<std::int64_t>(got), std::memory_order_relaxed);
  }
  report.pluginSeconds = std::chrono::duration<double>(inPlugin).count();
}

// Parameter text as the plug-in shows it, with its unit.
std::string shownValue(PluginInstance& plugin, int index) {
  std::string text = plugin.parameterDisplay(index);
  const std::string label = plugin.parameterLabel(index);
  if (!label.empty()) text += " " + label;
  return plugin.parameterName(index) + " " + text;
}

// Hints when the writer, not the plug-in, sets the output's word length.
void wordLengthNotices(PluginInstance& plugin, int outputBits, RenderReport& report) {
  if (outputBits == 0 || outputBits > 24) return;
  const bool quantize = displayText(kQuantize, plugin.getParameter(kQuantize)) == "on";
  const int bits = std::atoi(displayText(kBits, plugin.getParameter(kBits)).c_str());
  const std::string wanted = std::to_string(outputBits);
  if (!quantize) {
    report.notices.push_back("the output is " + wanted + "-bit and Quantize is off: the samples are rounded to " +
                             wanted + " bits without dither. For dither and noise shaping by the plug-in, add --set "
                             "Quantize=on --set Bits=" + wanted + ".");
  } else if (bits > outputBits) {
    report.notices.push_back("Quantize works at " + std::to_string(bits) + " bits but the output is " + wanted +
                             "-bit: the samples are rounded again. Add --set Bits=" + wanted + ".");
  }
}

}  // namespace

std::unique_ptr<AudioSource> openSource(const Job& job) {
  return job.input.empty() ? openDemo() : openAudioFile(job.input);
}

RenderReport render(const PluginLibrary& library, const Job& job, const RenderOptions& options, Progress& progress) {
  const Clock::time_point start = Clock::now();
  RenderReport report;
  report.input = job.input.empty() ? "(demo material)" : job.input;
  report.output = job.output;
  const std::unique_ptr<AudioSource> source = openSource(job);
  report.sampleRate = source->sampleRate();
  report.channels = source->channels();
  const int format = outputSndfileFormat(options.format, *source);
  checkTarget(job.output, options.overwrite);

  PluginInstance plugin(library, report.channels);
  if (options.singlePrecision ? !plugin.canFloat() : !plugin.canDouble()) {
    throw std::runtime_error(options.singlePrecision ? "the plug-in has no single-precision processing"
                                                     : "the plug-in has no double-precision processing; try --float");
  }
  plugin.setSampleRate(report.sampleRate);
  plugin.setBlockSize(options.blockSize);
  applySettings(plugin, options.settings);
  report.program = plugin.programName();
  for (const ParamSetting& p : options.settings.parameters) report.settings.push_back(shownValue(plugin, p.index));
  wordLengthNotices(plugin, integerBits(format), report);
  plugin.start();
  report.latency = plugin.latency();
  report.compensated = !options.keepLatency;
  if (report.latency < 0 || report.latency > 10 * report.sampleRate)
    throw std::runtime_error("the plug-in reports an implausible latency of " + std::to_string(report.latency) + " samples");

  AudioSink sink(job.output, format, report.sampleRate, report.channels, options.overwrite);
  MeterThread before(report.channels, report.sampleRate), after(report.channels, report.sampleRate);
  if (options.singlePrecision) {
    stream<float>(plugin, *source, sink, before, after, options.blockSize, report.latency, options.keepLatency, progress,
                  report);
  } else {
    stream<double>(plugin, *source, sink, before, after, options.blockSize, report.latency, options.keepLatency, progress,
                   report);
  }
  plugin.stop();
  if (sink.clipped() > 0) {
    report.notices.push_back(std::to_string(sink.clipped()) + " samples lay beyond the largest value of the output format "
                             "(+1.0 is one step above it) and were written as that value.");
  }
  report.before = before.finish();
  report.after = after.finish();
  sink.commit();
  report.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return report;
}

}  // namespace stellix::render
