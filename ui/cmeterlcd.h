// The numeric readouts under the meters: the held peak of each level meter (CMeterLCD) and
// the held gain reduction (CMeterLCDGR), each as two values (left, right) in dark boxes with
// the unit between them, printed in the bitmap font.
//
// A readout holds the extreme reading since its last reset; a left click resets it and tells
// the listener (the editor then resets every meter).
//
// Threads: feed and draw on the UI thread; setMode and reset from any thread. A reset is a
// request the UI thread carries out at the next feed or draw.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "toolkit/cbitmap.h"
#include "toolkit/ccolor.h"
#include "toolkit/ccontrol.h"
#include "toolkit/crect.h"
#include "ui/ctextprinter.h"

// What both readouts share: the two held values, the value fields and the click.
class CMeterReadout : public CControl {
 public:
  static constexpr std::int32_t kTag = 27;
  static constexpr CColor kBoxColor{79, 79, 79};
  static constexpr CColor kOverColor{229, 53, 5};
  static constexpr CCoord kLeftField = 2;  // field starts, from the left edge
  static constexpr CCoord kRightField = 62;
  static constexpr CCoord kFieldWidth = 30;

  // [any thread] The held values back to their start (reset) value.
  void reset();

  // [UI thread] The held value of a channel in dB.
  float heldDb(int channel) const { return held_[channel & 1]; }

  // [UI thread] A left press resets the readout and tells the listener.
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

 protected:
  CMeterReadout(const CRect& size, CControlListener* listener, const SharedBitmap& background, float resetDb);

  // Carries out a pending reset request.
  void takeResetRequest();
  // The window background under the control.
  void drawBackground(CDrawContext* context);
  // The box of the field starting at x = left + fieldStart, filled with colour.
  void fillBox(CDrawContext* context, CCoord fieldStart, const CColor& colour) const;
  // Where text of n characters starts to be centred in that field.
  CCoord textStart(CCoord fieldStart, std::size_t length) const;
  // The baseline of every text in the readout.
  CCoord baseline() const { return size_.bottom - 2; }

  float held_[2];

 private:
  const float resetDb_;
  std::atomic<bool> resetRequested_{false};
};

// The held peak of a level meter. In the K modes the values read relative to the K reference
// (+12, +14 or +20 dB) with the unit "dBr", in peak mode as dBFS. A value above 0 dBFS lights
// its box red.
class CMeterLCD : public CMeterReadout {
 public:
  static constexpr CRect kInputRect{131, 415, 224, 426};
  static constexpr CRect kOutputRect{303, 415, 396, 426};
  static constexpr float kResetDb = -120.0f;
  // Values at or below this read "-oo".
  static constexpr float kSilenceDb = -100.0f;

  // [UI thread] size: kInputRect or kOutputRect. background: the window's background (128),
  // loaded when null.
  explicit CMeterLCD(const CRect& size, CControlListener* listener = nullptr, const SharedBitmap& background = nullptr);

  // [UI thread] New linear peaks (1.0 = 0 dBFS): each held value rises to a higher one.
  void feed(float peakL, float peakR);
  // [any thread] 0 peak, 1 K-12, 2 K-14, 3 K-20.
  void setMode(int mode);
  int getMode() const { return mode_.load(std::memory_order_relaxed); }

  // The dB added to a held value in mode (12, 14, 20 in the K modes, else 0).
  static float modeOffset(int mode);
  // The text of a shown value: "%+2.1f", or "-oo" at -100 dB and below.
  static std::string valueText(float shownDb);

  // [UI thread] What a field shows in the current mode, and whether its box is lit red (the
  // held value above 0 dBFS, whatever the mode).
  std::string fieldText(int channel) const { return valueText(heldDb(channel) + modeOffset(getMode())); }
  bool isOver(int channel) const { return heldDb(channel) > 0.0f; }

  // [UI thread]
  void draw(CDrawContext* context) override;

 private:
  CTextPrinter2Color printer_;
  std::atomic<int> mode_{0};
};

// The held gain reduction of both channels, "%2.1f" with the unit "dB".
class CMeterLCDGR : public CMeterReadout {
 public:
  static constexpr CRect kRect{217, 199, 310, 210};
  static constexpr float kResetDb = 0.0f;

  // [UI thread] background: the window's background (128), loaded when null.
  explicit CMeterLCDGR(CControlListener* listener = nullptr, const SharedBitmap& background = nullptr);

  // [UI thread] New gain factors (1.0 = no reduction): each held value follows a deeper one.
  void feed(float gainL, float gainR);

  static std::string valueText(float heldDb);
  // [UI thread] What a field shows.
  std::string fieldText(int channel) const { return valueText(heldDb(channel)); }

  // [UI thread]
  void draw(CDrawContext* context) override;

 private:
  CTextPrinter printer_;
};
