// The controls drawn at their places in the window, on its background, against committed
// pictures: every state of every control, the hover highlights and overlays, the lit
// pictures. Each picture is a sheet of crops, one row per variant.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controls_fixture.h"

using namespace ui_controls_test;

namespace {

using Row = std::vector<PixelBuffer>;

// The crops laid out in rows, 2 pixels of black between them.
PixelBuffer sheet(const std::vector<Row>& rows) {
  constexpr int kGap = 2;
  int cellW = 0, cellH = 0, columns = 0;
  for (const Row& row : rows) {
    columns = std::max(columns, static_cast<int>(row.size()));
    for (const PixelBuffer& p : row) {
      cellW = std::max(cellW, p.width);
      cellH = std::max(cellH, p.height);
    }
  }
  PixelBuffer out(columns * (cellW + kGap) - kGap, static_cast<int>(rows.size()) * (cellH + kGap) - kGap);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const PixelBuffer& p = rows[r][c];
      for (int y = 0; y < p.height; ++y)
        std::copy_n(p.row(y), p.width,
                    out.row(static_cast<int>(r) * (cellH + kGap) + y) + static_cast<int>(c) * (cellW + kGap));
    }
  }
  return out;
}

void expectSheet(const std::vector<Row>& rows, const std::string& name) {
  stellix::testing::expectGolden(sheet(rows), STELLIX_GOLDEN_DIR, name);
}

// The pointer over each of the given rows of the control, then outside the window.
Row hovered(Window& w, CView* view, const std::vector<CCoord>& rows) {
  Row out;
  for (CCoord dy : rows) {
    w.host.mouseMove(inside(view->getViewSize(), dy));
    out.push_back(w.render(view));
  }
  w.host.mouseExit();
  return out;
}

}  // namespace

TEST(ControlsRender, BitsShowsEveryWordLengthLitOnlyWithQuantize) {
  Window w;
  CBits* bits = w.bits();
  std::vector<Row> rows;
  for (bool quantize : {false, true}) {
    bits->setQuantize(quantize);
    Row row;
    for (int i = 0; i < CBits::kSteps; ++i) {
      bits->setIndex(i);
      row.push_back(w.render(bits));
    }
    rows.push_back(row);
  }
  expectSheet(rows, "bits-steps");
}

TEST(ControlsRender, NoiseShapeHasNoLitOff) {
  Window w;
  CNoiseShape* shape = w.noiseShape();
  std::vector<Row> rows;
  for (bool quantize : {false, true}) {
    shape->setQuantize(quantize);
    Row row;
    for (int i = 0; i < CNoiseShape::kSteps; ++i) {
      shape->setIndex(i);
      row.push_back(w.render(shape));
    }
    rows.push_back(row);
  }
  expectSheet(rows, "noiseshape-steps");
}

TEST(ControlsRender, CalibrateBlinksWhileOn) {
  Window w;
  CCalibButton* calib = w.calibrate();
  std::vector<Row> rows;
  // Bit 8 of the tick clear: lit; set: unlit.
  for (std::uint32_t tick : {0x000u, 0x100u}) {
    calib->setBlinkTick(tick);
    Row row;
    for (int i = 0; i < CCalibButton::kSteps; ++i) {
      calib->setIndex(i);
      row.push_back(w.render(calib));
    }
    rows.push_back(row);
  }
  expectSheet(rows, "calibrate-steps");
}

TEST(ControlsRender, SelectorHoverHighlightsEachPart) {
  Window w;
  CBits* bits = w.bits();
  CNoiseShape* shape = w.noiseShape();
  CCalibButton* calib = w.calibrate();
  bits->setIndex(2);
  shape->setIndex(3);
  shape->setQuantize(true);
  calib->setIndex(2);
  calib->setBlinkTick(0x100);
  // Upper arrow, middle strip, lower arrow.
  const std::vector<CCoord> parts = {5, 18, 25};
  expectSheet({hovered(w, bits, parts), hovered(w, shape, parts), hovered(w, calib, parts)}, "selector-hover");
}

TEST(ControlsRender, ModeButtonPeakEveryKScaleAndLit) {
  Window w;
  CModeButton* mode = w.mode();
  std::vector<Row> rows;
  for (bool kSystem : {false, true}) {
    mode->setKSystem(kSystem);
    Row row;
    for (int scale = 0; scale < 3; ++scale) {
      mode->setScaleIndex(scale);
      row.push_back(w.render(mode));
    }
    rows.push_back(row);
  }
  mode->setLit(true);
  rows.push_back({w.render(mode)});
  mode->setLit(false);
  mode->setScaleIndex(1);
  // Peak part, upper arrow, middle, lower arrow.
  rows.push_back(hovered(w, mode, {5, 35, 48, 55}));
  expectSheet(rows, "mode-button");
}

TEST(ControlsRender, TwoStateButtonsOffOnLitAndHovered) {
  Window w;
  struct Button {
    CStellixButton* button;
    bool hover;  // has a hover overlay
  };
  const std::vector<Button> buttons = {
      {w.detectorOrder(), true}, {w.quantize(), true},   {w.attZoom(), true},  {w.meterOvs(), true},
      {w.attShow1(), true},      {w.attShow2(), true},   {w.attShowL(), true}, {w.power(), false},
      {w.autoOut(), false},      {w.postMeter(), false},
  };
  std::vector<Row> rows;
  for (const Button& b : buttons) {
    Row row;
    b.button->setValue(0.25f);
    row.push_back(w.render(b.button));
    b.button->setValue(0.75f);
    row.push_back(w.render(b.button));
    if (b.button->getPreferenceFlag()) {
      b.button->setLit(true);
      row.push_back(w.render(b.button));
      b.button->setLit(false);
    }
    if (b.hover) {
      const Row over = hovered(w, b.button, {5});
      row.insert(row.end(), over.begin(), over.end());
    }
    rows.push_back(row);
  }
  expectSheet(rows, "two-state-buttons");
}

TEST(ControlsRender, OversampleAndAutoblackWithOverlay) {
  Window w;
  COversamplingButton* ovs = w.oversample();
  CAutoBlack* autoblack = w.autoblack();
  Row ovsRow;
  for (float v : {0.25f, 0.75f}) {
    ovs->setValue(v);
    ovsRow.push_back(w.render(ovs));
  }
  const Row ovsOver = hovered(w, ovs, {5});
  ovsRow.insert(ovsRow.end(), ovsOver.begin(), ovsOver.end());

  // Off, on, on while "Quantize" is off (inactive), and hovered.
  Row blackRow;
  autoblack->setIndex(0);
  blackRow.push_back(w.render(autoblack));
  autoblack->setIndex(1);
  autoblack->setQuantize(true);
  blackRow.push_back(w.render(autoblack));
  autoblack->setQuantize(false);
  blackRow.push_back(w.render(autoblack));
  const Row blackOver = hovered(w, autoblack, {5});
  blackRow.insert(blackRow.end(), blackOver.begin(), blackOver.end());
  expectSheet({ovsRow, blackRow}, "oversample-autoblack");
}

TEST(ControlsRender, SpeedSwitchThreePositions) {
  Window w;
  CSpeedSwitch* speed = w.speed();
  Row row;
  for (float v : {0.0f, 0.5f, 1.0f}) {
    speed->setValue(v);
    row.push_back(w.render(speed));
  }
  expectSheet({row}, "speed-switch");
}
