#include "tools/render/audio_io.h"

#include <fcntl.h>
#include <sndfile.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "tools/render/demo_material.h"

namespace stellix::render {
namespace {

// The plug-in's engine covers these rates; outside them it would run at a wrong rate.
constexpr int kMinRate = 5000;
constexpr int kMaxRate = 200000;

std::string errnoText() { return std::strerror(errno); }

class FileSource final : public AudioSource {
 public:
  explicit FileSource(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot open: " + errnoText());
    if (S_ISDIR(st.st_mode)) throw std::runtime_error("is a folder, not an audio file");
    file_ = sf_open(path.c_str(), SFM_READ, &info_);
    if (!file_) {
      const int err = sf_error(nullptr);
      if (err == SF_ERR_UNRECOGNISED_FORMAT || err == SF_ERR_MALFORMED_FILE || err == SF_ERR_UNSUPPORTED_ENCODING)
        throw std::runtime_error(std::string("not an audio file this program reads (") + sf_error_number(err) + ")");
      throw std::runtime_error(std::string("cannot open: ") + sf_strerror(nullptr));
    }
    if (info_.channels < 1 || info_.channels > 2) {
      const int n = info_.channels;
      sf_close(file_);
      throw std::runtime_error(std::to_string(n) + " channels; only mono and stereo files can be rendered");
    }
    if (info_.samplerate < kMinRate || info_.samplerate > kMaxRate) {
      const int rate = info_.samplerate;
      sf_close(file_);
      throw std::runtime_error("sample rate " + std::to_string(rate) + " Hz lies outside " + std::to_string(kMinRate) +
                               ".." + std::to_string(kMaxRate) + " Hz");
    }
  }
  ~FileSource() override { sf_close(file_); }

  int sampleRate() const override { return info_.samplerate; }
  int channels() const override { return info_.channels; }
  std::int64_t frames() const override { return info_.frames; }
  int sndfileFormat() const override { return info_.format; }

  std::size_t read(double* interleaved, std::size_t frames) override {
    const sf_count_t got = sf_readf_double(file_, interleaved, static_cast<sf_count_t>(frames));
    if (got < 0 || (got < static_cast<sf_count_t>(frames) && sf_error(file_) != SF_ERR_NO_ERROR))
      throw std::runtime_error(std::string("read error: ") + sf_strerror(file_));
    return static_cast<std::size_t>(got);
  }

 private:
  SF_INFO info_{};
  SNDFILE* file_ = nullptr;
};

class DemoSource final : public AudioSource {
 public:
  int sampleRate() const override { return DemoMaterial::kRate; }
  int channels() const override { return 2; }
  std::int64_t frames() const override { return DemoMaterial::kFrames; }
  int sndfileFormat() const override { return SF_FORMAT_WAV | SF_FORMAT_PCM_24; }
  std::size_t read(double* interleaved, std::size_t frames) override {
    const std::size_t n = demo_.render(position_, interleaved, frames);
    position_ += static_cast<std::int64_t>(n);
    return n;
  }

 private:
  DemoMaterial demo_;
  std::int64_t position_ = 0;
};

// Permission bits a newly created file gets: 0666 less the process's umask, which Linux
// reports in /proc (reading it with umask() would change it for every thread).
mode_t newFileMode() {
  mode_t mask = 022;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      mask = static_cast<mode_t>(std::strtol(line.c_str() + 6, nullptr, 8));
      break;
    }
  }
  return 0666 & ~mask;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::unique_ptr<AudioSource> openAudioFile(const std::string& path) { return std::make_unique<FileSource>(path); }
std::unique_ptr<AudioSource> openDemo() { return std::make_unique<DemoSource>(); }

int outputSndfileFormat(OutputFormat f, const AudioSource& input) {
  switch (f) {
    case OutputFormat::Wav16: return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case OutputFormat::Wav24: return SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    case OutputFormat::Float: return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    case OutputFormat::SameAsInput: break;
  }
  SF_INFO probe{};
  probe.samplerate = input.sampleRate();
  probe.channels = input.channels();
  probe.format = input.sndfileFormat() & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK);
  if (!sf_format_check(&probe)) throw std::runtime_error("the input's format cannot be written; choose one with --format");
  return probe.format;
}

std::string extensionFor(int sndfileFormat) {
  switch (sndfileFormat & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV: return ".wav";
    case SF_FORMAT_AIFF: return ".aiff";
    case SF_FORMAT_FLAC: return ".flac";
    case SF_FORMAT_OGG: return ".ogg";
    default: break;
  }
  SF_FORMAT_INFO info{};
  info.format = sndfileFormat & SF_FORMAT_TYPEMASK;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.extension)
    return std::string(".") + info.extension;
  return ".wav";
}

int integerBits(int sndfileFormat) {
  switch (sndfileFormat & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32: return 32;
    default: return 0;
  }
}

void checkTarget(const std::string& target, bool overwrite) {
  struct stat st;
  if (stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) throw std::runtime_error("output " + target + " is a folder");
    if (!overwrite) throw std::runtime_error("output " + target + " exists (use --force to overwrite it)");
  }
  const std::string folder = folderOf(target);
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    throw std::runtime_error("output folder " + folder + " does not exist");
  if (access(folder.c_str(), W_OK) != 0) throw std::runtime_error("cannot create " + target + ": " + errnoText());
}

AudioSink::AudioSink(const std::string& target, int sndfileFormat, int sampleRate, int channels, bool overwrite)
    : target_(target), channels_(channels), bits_(integerBits(sndfileFormat)), overwrite_(overwrite) {
  checkTarget(target, overwrite);
  std::string pattern = folderOf(target) + "/." + baseName(target) + ".partial-XXXXXX";
  fd_ = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) throw std::runtime_error("cannot create " + target + ": " + errnoText());
  temp_ = pattern;
  if (fchmod(fd_, newFileMode()) != 0) {
    const std::string why = errnoText();
    discard();
    throw std::runtime_error("cannot set the permissions of " + temp_ + ": " + why);
  }
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = sndfileFormat;
  file_ = sf_open_fd(fd_, SFM_WRITE, &info, SF_FALSE);
  if (!file_) {
    const std::string why = sf_strerror(nullptr);
    discard();
    throw std::runtime_error("cannot write " + target + ": " + why);
  }
  // Lossy and floating-point formats take the doubles; clip rather than wrap if a format
  // has a range.
  sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioSink::~AudioSink() { discard(); }

void AudioSink::discard() noexcept {
  if (file_) sf_close(file_);
  file_ = nullptr;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

void AudioSink::write(const double* interleaved, std::size_t frames) {
  const std::size_t n = frames * static_cast<std::size_t>(channels_);
  sf_count_t written;
  if (bits_ > 0) {
    // libsndfile takes ints as 32-bit full scale and keeps their top bits, so an integer
    // k of the target word length goes in as k * 2^(32 - bits).
    const double scale = std::ldexp(1.0, bits_ - 1);
    const double top = scale - 1.0;
    const std::int64_t shift = std::int64_t{1} << (32 - bits_);
    ints_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      double k = std::nearbyint(interleaved[i] * scale);
      if (k < -scale || k > top) {
        ++clipped_;
        k = k < -scale ? -scale : top;
      }
      ints_[i] = static_cast<int>(static_cast<std::int64_t>(k) * shift);
    }
    written = sf_writef_int(file_, ints_.data(), static_cast<sf_count_t>(frames));
  } else {
    written = sf_writef_double(file_, interleaved, static_cast<sf_count_t>(frames));
  }
  if (written != static_cast<sf_count_t>(frames))
    throw std::runtime_error("cannot write " + target_ + ": " + sf_strerror(file_));
}

void AudioSink::commit() {
  const int closed = sf_close(file_);
  file_ = nullptr;
  if (closed != 0) throw std::runtime_error("cannot finish " + target_ + ": " + sf_error_number(closed));
  if (fsync(fd_) != 0 || close(fd_) != 0) {
    fd_ = -1;
    throw std::runtime_error("cannot write " + target_ + ": " + errnoText());
  }
  fd_ = -1;
  if (overwrite_) {
    if (rename(temp_.c_str(), target_.c_str()) != 0) throw std::runtime_error("cannot rename to " + target_ + ": " + errnoText());
  } else if (renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno == EEXIST) throw std::runtime_error("output " + target_ + " appeared meanwhile (use --force to overwrite it)");
    if (errno != EINVAL && errno != ENOSYS) throw std::runtime_error("cannot rename to " + target_ + ": " + errnoText());
    // A file system without the no-replace rename: a hard link also refuses an existing name.
    if (link(temp_.c_str(), target_.c_str()) != 0) {
      if (errno == EEXIST) throw std::runtime_error("output " + target_ + " appeared meanwhile (use --force to overwrite it)");
      throw std::runtime_error("cannot rename to " + target_ + ": " + errnoText());
    }
    unlink(temp_.c_str());
  }
  temp_.clear();
}

}  // namespace stellix::render
