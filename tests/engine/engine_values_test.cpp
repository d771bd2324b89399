#include "engine/engine.h"

#include <gtest/gtest.h>

namespace stellix {
namespace {

TEST(EngineValues, RateShiftBoundaries) {
  struct Case { int rate; int shift; };
  for (Case c : {Case{44100, 0}, {79999, 0}, {80000, 1}, {169999, 1}, {170000, 2}, {192000, 2}}) {
    EXPECT_EQ(rateShiftFor(c.rate), c.shift) << c.rate;
  }
}

}  // namespace
}  // namespace stellix
