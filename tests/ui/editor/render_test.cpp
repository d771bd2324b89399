// The window as open builds it, compared with committed pictures: the default program, a K-20
// session with the meters fed, a value field being edited and the information screen.
#include <gtest/gtest.h>

#include "host/parameters.h"
#include "presets/ckorvantextedit.h"
#include "tests/support/golden.h"
#include "tests/ui/editor/editor_fixture.h"
#include "ui/cinfo.h"

using namespace editor_test;
using namespace stellix;
using stellix::testing::cropPixels;
using stellix::testing::expectGolden;

namespace {

TEST(EditorRender, DefaultProgram) {
  EditorFixture f;
  f.host->idle();
  expectGolden(f.pixels(), STELLIX_GOLDEN_DIR, "editor-default");
}

// K-20 metering of a loud master: input peaks at -1 and +0.4 dBFS, output held under the
// ceiling at -0.3 dBFS with RMS near -14 dBFS, 4 and 7 dB of gain reduction shown on the
// zoomed scale, Quantize on at 16 bits with shaping, the preset "Loudness 2".
TEST(EditorRender, KTwentyWithTheMetersFed) {
  EditorFixture f(false);
  f.plugin->selectProgram(6);
  f.open();
  f.plugin->setParameter(kMeterType, stepCentre(1, 2));
  f.plugin->setParameter(kScale, stepCentre(2, 3));
  f.plugin->setParameter(kAttZoom, stepCentre(1, 2));
  f.plugin->setParameter(kQuantize, stepCentre(1, 2));
  f.plugin->setParameter(kBits, stepCentre(2, 5));
  f.plugin->setParameter(kNoiseShape, stepCentre(3, 7));
  f.plugin->readings = {0.891f, 1.047f, 0.966f, 0.966f, 0.2f, 0.22f, 0.2f, 0.19f, 0.631f, 0.447f};
  f.idleAt(1040);
  f.idleAt(1080);
  expectGolden(f.pixels(), STELLIX_GOLDEN_DIR, "editor-k20-metered");
}

// The Drive field while the user types in it: only the field's background under the box.
TEST(EditorRender, ValueFieldEditing) {
  EditorFixture f;
  f.click(f.c().driveField);
  f.host->type("+6");
  f.host->idle();
  ASSERT_TRUE(f.c().driveField->isTextEditing());
  expectGolden(cropPixels(f.pixels(), CRect(33, 399, 127, 437)), STELLIX_GOLDEN_DIR, "editor-drive-field-editing");
}

// The information screen over the lower panel, with the latency at 96 kHz.
TEST(EditorRender, InformationScreenOpen) {
  EditorFixture f;
  f.plugin->setSampleRate(96000.0f);
  f.click(f.c().info);
  f.host->idle();
  ASSERT_TRUE(f.c().info->isOpen());
  CRect area = CInfo::kPanelRect;
  area.inset(-4, -4);
  expectGolden(cropPixels(f.pixels(), area), STELLIX_GOLDEN_DIR, "editor-info-open");
}

}  // namespace
