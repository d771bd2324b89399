// The plug-in's window: a 524 x 462 picture (bitmap 128) with the limiter's knobs, buttons,
// selectors, value fields and meters, and the preset bar along its bottom edge.
//
// Editor builds the window when the host opens it and keeps a reference to each control until
// it closes. User changes go to the effect as automated parameter changes (set locally, then
// the host is told); every parameter change, from wherever it comes, returns through
// parameterChanged into the controls. The host's idle calls refresh the meters at most every
// 40 ms of the tick, blink the calibration, end the preference flash and redraw what changed.
// The six metering display settings are saved to the user's store on a right click on any
// preference control (they are loaded by the effect when it is made).
//
// Threads: parameterChanged and setLatency come from any thread (the host's automation and
// audio threads). They only store into the controls, request meter resets and mark controls
// dirty, under a lock that keeps the window from closing meanwhile. Everything else runs on
// the UI thread.
#pragma once

#include <cstdint>
#include <mutex>

#include "presets/preset_system_editor.h"
#include "toolkit/cframe.h"
#include "ui/editor_actions.h"
#include "ui/meter_snapshot_source.h"

class CAutoBlack;
class CBits;
class CCalibButton;
class CInfo;
class CKorvanTextEdit;
class CMeterGR;
class CMeterLCD;
class CMeterLCDGR;
class CMeterLevel;
class CModeButton;
class CMyKnob;
class CNoiseShape;
class COversamplingButton;
class CSpeedSwitch;
class CStellixBcklitButton;
class CStellixButton;

// The window's frame. The information screen takes every mouse and wheel event while it is
// open by setting itself as the modal view, which the frame's routing honours.
class MyFrame : public CFrame {
 public:
  // [UI thread]
  MyFrame(const CRect& size, VSTGUIEditorInterface* editor) : CFrame(size, editor) {}
};

class Editor : public CPresetSystemEditor, public CEditorActions {
 public:
  static constexpr int kBackgroundBitmap = 128;
  static constexpr int kBacklightBitmap = 170;
  // Meters refresh at most this often, however often the host calls idle.
  static constexpr std::uint32_t kIdleIntervalMs = 40;
  // The preference flash ends on the first idle after this long.
  static constexpr std::uint32_t kHighlightMs = 500;

  // Tags of the controls that are no parameter.
  enum ControlTag : std::int32_t {
    kMeterTag = 27,     // every meter and readout: a click resets them all
    kAttShow1Tag = 28,  // AttShow's flags "1", "2" and "L": bits 0, 1 and 2 of its step
    kAttShow2Tag = 29,
    kAttShowLTag = 30,
  };

  // The window's controls while it is open (null while it is closed). The frame owns them.
  struct Controls {
    CStellixBcklitButton* detectorOrder = nullptr;
    COversamplingButton* oversample = nullptr;
    CModeButton* meterMode = nullptr;
    CStellixBcklitButton* quantize = nullptr;
    CAutoBlack* autoblack = nullptr;
    CBits* bits = nullptr;
    CNoiseShape* noiseShape = nullptr;
    CCalibButton* calibrate = nullptr;
    CStellixBcklitButton* attZoom = nullptr;
    CStellixBcklitButton* attShow[3] = {};  // "1", "2", "L"
    CMyKnob* transient = nullptr;
    CMyKnob* release = nullptr;
    CMyKnob* leveller = nullptr;
    CMyKnob* link = nullptr;
    CSpeedSwitch* transShape = nullptr;
    CStellixButton* power = nullptr;
    CMyKnob* drive = nullptr;
    CMyKnob* output = nullptr;
    CStellixButton* autoOut = nullptr;
    CStellixButton* postMeter = nullptr;
    CInfo* info = nullptr;
    CKorvanTextEdit* driveField = nullptr;
    CKorvanTextEdit* outputField = nullptr;
    CKorvanTextEdit* transientField = nullptr;
    CKorvanTextEdit* releaseField = nullptr;
    CKorvanTextEdit* levellerField = nullptr;
    CKorvanTextEdit* linkField = nullptr;
    CStellixBcklitButton* meterOvs = nullptr;
    CMeterLevel* meterIn = nullptr;
    CMeterLevel* meterOut = nullptr;
    CMeterGR* meterGR = nullptr;
    CMeterLCD* lcdIn = nullptr;
    CMeterLCD* lcdOut = nullptr;
    CMeterLCDGR* lcdGR = nullptr;
  };

  // The editor registers itself with effect, which owns it from then on. meters: where the
  // idle reads the meters (the effect; null: the meters are not fed). [UI thread]
  Editor(CPresetSystemEffect* effect, stellix::MeterSnapshotSource* meters);
  // Closes a window still open.
  ~Editor() override;

  // ---- The window [UI thread]

  // Builds the window inside parentWindow: the frame on bitmap 128, the 36 controls with the
  // effect's current values, then the preset bar. False, and nothing left open, without a
  // parent window or when the window cannot be made.
  bool open(void* parentWindow) override;
  // Forgets the controls, then releases the frame and every view in it.
  void close() override;
  // At most every 40 ms of the tick: the meters take the effect's readings, the calibration
  // blinks, the preference flash ends after 500 ms; then the preset bar's idle and the redraw.
  void idle() override;
  // The controls' changes: the preset bar's first, then the editor's tags.
  void valueChanged(CControl* control) override;
  const Controls& controls() const { return controls_; }

  // ---- Effect hooks [any thread]

  // A parameter changed: the controls showing it follow (nothing while the window is closed).
  void parameterChanged(int index, float value) override;
  // The latency in samples, for the information screen.
  void setLatency(int samples) override;

  // ---- Editor actions [UI thread]

  // Sets the parameter locally, then tells the host.
  void setParameterAutomated(int index, float value) override;
  // Writes the six metering settings to the user's store and lights the seven preference
  // controls until the first idle after 500 ms.
  void saveMeteringPreferences() override;

 private:
  void buildControls(Controls& c);
  // Stores a parameter's value into its controls; the caller holds controlsMutex_.
  void showParameter(int index, float value);
  // The meter mode from the mode button's state, to both meters and both peak readouts.
  void distributeMeterMode();
  void resetAllMeters();
  void setPreferenceLights(bool lit);
  float parameter(int index) const;

  stellix::MeterSnapshotSource* meters_;
  // Guards controls_ against the window closing while another thread stores into them.
  mutable std::mutex controlsMutex_;
  Controls controls_;

  std::uint32_t lastIdleTick_;
  std::uint32_t highlightTick_;
  bool highlightPending_ = false;
};
