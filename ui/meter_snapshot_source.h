// Where the editor reads the meters from: the effect, which keeps the readings the audio thread
// writes. The editor asks for them on its idle, without the processing lock.
#pragma once

namespace stellix {

class MeterSnapshotSource {
 public:
  static constexpr int kValues = 10;
  enum Reading { kInPeakL, kInPeakR, kOutPeakL, kOutPeakR, kInRmsL, kInRmsR, kOutRmsL, kOutRmsR, kGainL, kGainR };

  virtual ~MeterSnapshotSource() = default;
  // [UI thread] The readings in Reading order: linear peaks and RMS values (1.0 = 0 dBFS), and
  // the gain-reduction factors (1.0 = none). Reading them restarts the engine's holds.
  virtual void getMeterSnapshot(float out[kValues]) = 0;
};

}  // namespace stellix
