// Helpers of the renderer's tests: a temporary folder, audio files written and read with
// libsndfile, and running the renderer program.
#pragma once

#include <fcntl.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace stellix::render::testing {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "stellix-render-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& e : fs::recursive_directory_iterator(path_, ignored))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const fs::path& path() const { return path_; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> entries(const std::string& sub = "") const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(sub.empty() ? path_ : path_ / sub)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

struct Audio {
  int rate = 44100;
  int channels = 2;
  std::vector<double> samples;  // interleaved
  std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
  double at(std::size_t frame, int channel) const { return samples[frame * channels + channel]; }
};

// A signal of frames frames, sample (frame, channel) from f.
inline Audio makeAudio(int channels, std::size_t frames, const std::function<double(std::size_t, int)>& f,
                       int rate = 44100) {
  Audio a;
  a.rate = rate;
  a.channels = channels;
  a.samples.resize(frames * channels);
  for (std::size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) a.samples[i * channels + c] = f(i, c);
  return a;
}

inline void writeAudio(const std::string& path, const Audio& a, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_24) {
  SF_INFO info{};
  info.samplerate = a.rate;
  info.channels = a.channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) std::abort();
  sf_writef_double(f, a.samples.data(), static_cast<sf_count_t>(a.frames()));
  sf_close(f);
}

inline Audio readAudio(const std::string& path, SF_INFO* infoOut = nullptr) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  Audio a;
  if (!f) return a;
  a.rate = info.samplerate;
  a.channels = info.channels;
  a.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_double(f, a.samples.data(), info.frames);
  sf_close(f);
  if (infoOut) *infoOut = info;
  return a;
}

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct RunResult {
  int status = -1;
  std::string out, err;
};

// Runs the renderer with args and the plug-in under test; collects its output.
inline RunResult runRender(const TempDir& dir, std::vector<std::string> args) {
  const char* plugin = std::getenv("STELLIX_PLUGIN");
  if (plugin && *plugin) {
    args.insert(args.begin(), plugin);
    args.insert(args.begin(), "--plugin");
  }
  const std::string out = dir / ".run-out", err = dir / ".run-err";
  const pid_t pid = fork();
  if (pid == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(o, STDOUT_FILENO);
    dup2(e, STDERR_FILENO);
    std::vector<char*> argv;
    std::string program = STELLIX_RENDER;
    argv.push_back(program.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  RunResult r;
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = fileBytes(out);
  r.err = fileBytes(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

}  // namespace stellix::render::testing
