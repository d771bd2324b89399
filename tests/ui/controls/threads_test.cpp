// The editor's setters called from another thread (the host's automation or audio thread)
// while the UI thread draws and handles the pointer. Run under ThreadSanitizer (STELLIX_TSAN)
// this shows that they only touch atomics and the dirty flag.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "controls_fixture.h"

using namespace ui_controls_test;

TEST(ControlThreads, SettersFromAnotherThreadWhileTheWindowDraws) {
  Window w;
  CStellixBcklitButton* zoom = w.attZoom();
  CAutoBlack* autoblack = w.autoblack();
  CBits* bits = w.bits();
  CNoiseShape* shape = w.noiseShape();
  CCalibButton* calib = w.calibrate();
  CModeButton* mode = w.mode();
  CSpeedSwitch* speed = w.speed();

  constexpr int kRounds = 2000;
  std::atomic<bool> done{false};
  std::thread host([&] {
    for (int i = 0; i < kRounds; ++i) {
      const float v = static_cast<float>(i % 11) / 10.0f;
      zoom->setValue(v);
      zoom->setLit(i % 2 == 0);
      autoblack->setIndex(i % 2);
      autoblack->setQuantize(i % 3 == 0);
      bits->setValue(v);
      bits->setQuantize(i % 2 == 1);
      shape->setIndex(i % 7);
      shape->setQuantize(i % 2 == 0);
      calib->setIndex(i % 4);
      calib->setBlinkTick(static_cast<std::uint32_t>(i) * 40u);
      mode->setScaleIndex(i % 3);
      mode->setKSystem(i % 2 == 0);
      mode->setLit(i % 5 == 0);
      speed->setValue(v);
    }
    done = true;
  });
  int frames = 0;
  while (!done) {
    w.host.mouseMove(inside(kBitsRect, frames % 31));
    w.host.idle();
    ++frames;
  }
  host.join();
  w.host.idle();
  // The last values set are the ones shown.
  const int last = kRounds - 1;
  EXPECT_EQ(bits->getValue(), static_cast<float>(last % 11) / 10.0f);
  EXPECT_EQ(shape->getIndex(), last % 7);
  EXPECT_EQ(calib->getIndex(), last % 4);
  EXPECT_EQ(mode->getScaleIndex(), last % 3);
  EXPECT_FALSE(mode->isLit());
  EXPECT_FALSE(zoom->isLit());
}
