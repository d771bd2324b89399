// Streaming audio input and output: files through libsndfile, the built-in demo material,
// and an output file that only appears under its name once it is complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace stellix::render {

// Interleaved double samples, read in blocks; never the whole file at once.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual int sampleRate() const = 0;
  virtual int channels() const = 0;
  virtual std::int64_t frames() const = 0;  // as announced; reading stops at the real end
  virtual int sndfileFormat() const = 0;    // the format "same as input" stands for
  // Reads up to frames frames; fewer only at the end. Throws std::runtime_error on errors.
  virtual std::size_t read(double* interleaved, std::size_t frames) = 0;
};

// Opens an audio file; throws std::runtime_error with the cause (missing, not audio, too
// many channels, unsupported rate).
std::unique_ptr<AudioSource> openAudioFile(const std::string& path);
// The demo material: a few seconds of drums, bass and chords at 44100 Hz stereo, peaking
// just below 0 dBFS.
std::unique_ptr<AudioSource> openDemo();

// Output formats the user can ask for instead of the input's.
enum class OutputFormat { SameAsInput, Wav16, Wav24, Float };
// libsndfile format for an output; throws when that format cannot be written.
int outputSndfileFormat(OutputFormat f, const AudioSource& input);
// File extension an output of that libsndfile format gets (".wav", ".flac", ...).
std::string extensionFor(int sndfileFormat);
// Word length of an integer format (8, 16, 24, 32), 0 for floating point and lossy ones.
int integerBits(int sndfileFormat);

// Writes to a temporary file beside the target; commit() gives it the target's name,
// otherwise the destructor removes it. Integer formats get the exact nearest integer of
// every sample (values already on the format's grid pass unchanged), limited to its range.
class AudioSink {
 public:
  AudioSink(const std::string& target, int sndfileFormat, int sampleRate, int channels, bool overwrite);
  ~AudioSink();
  AudioSink(const AudioSink&) = delete;
  AudioSink& operator=(const AudioSink&) = delete;

  void write(const double* interleaved, std::size_t frames);
  void commit();
  // Samples that lay beyond the integer range and were written as its nearest end.
  std::int64_t clipped() const { return clipped_; }

 private:
  void discard() noexcept;

  std::string target_;
  std::string temp_;
  int fd_ = -1;
  SNDFILE* file_ = nullptr;
  int channels_;
  int bits_;
  bool overwrite_;
  std::int64_t clipped_ = 0;
  std::vector<int> ints_;
};

// Throws when target exists (and overwrite is false) or its folder cannot take it.
void checkTarget(const std::string& target, bool overwrite);

}  // namespace stellix::render
