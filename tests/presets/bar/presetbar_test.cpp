// The preset bar: what opening the window builds, and how the bar reacts to its controls
// (program choice, renaming, files, stored defaults, memories, the manual), also with the
// window closed and with reports from other threads.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "host/parameters.h"
#include "platform/user_store.h"
#include "presets/store_names.h"
#include "tests/presets/bar/bar_fixture.h"

namespace presetbar_test {
namespace {

using stellix::UserStoreKey;
namespace store = stellix::store;

bool storeHas(const char* name) {
  const auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Read);
  return key && key->valueSize(name).has_value();
}

void storeManualPath(const std::string& path) {
  UserStoreKey::open(store::kKey, UserStoreKey::Access::Write)->writeString(store::kManualPath, path);
}

TEST(PresetBarOpen, ShowsTheCurrentProgramInTheFieldAndTheMenu) {
  const struct {
    int program;
    const char* name;
  } cases[] = {{0, "Default"}, {6, "Loudness 2"}, {26, "DVD Master 2 [recon]"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BarFixture f(c.program);
    EXPECT_EQ(f.fieldText(), c.name);
    COptionMenu* menu = f.editor->programMenu();
    ASSERT_EQ(menu->getNbEntries(), 27);
    EXPECT_EQ(menu->getCurrent(), c.program);
    EXPECT_EQ(f.menuTitle(c.program), c.name);
    EXPECT_EQ(f.menuTitle(13), "TV Limiter");
    EXPECT_EQ(menu->getNbEntriesPerColumn(), 12);
  }
}

TEST(PresetBarOpen, BuildsTheFourteenControlsInPlace) {
  enum Kind { Field, Menu, Rocker, SaveLoad, Kick, DoubleKick };
  const struct {
    std::int32_t tag;
    Kind kind;
    CRect rect;
    int bitmap;
    CCoord pictureHeight;
  } layout[] = {
      {1000, Field, CRect(194, 447, 318, 461), 128, 0},       {1012, Menu, CRect(320, 448, 333, 460), 128, 0},
      {1001, Rocker, CRect(340, 447, 370, 460), 995, 13},     {1002, SaveLoad, CRect(72, 447, 89, 462), 990, 15},
      {1003, SaveLoad, CRect(22, 447, 39, 462), 991, 15},     {1013, DoubleKick, CRect(39, 447, 71, 460), 992, 13},
      {1004, SaveLoad, CRect(166, 447, 183, 462), 990, 15},   {1005, SaveLoad, CRect(104, 447, 121, 462), 991, 15},
      {1014, DoubleKick, CRect(122, 447, 166, 460), 993, 13}, {1017, Kick, CRect(421, 447, 438, 462), 990, 15},
      {1015, Kick, CRect(388, 447, 405, 462), 991, 15},       {1018, Kick, CRect(486, 447, 503, 462), 990, 15},
      {1016, Kick, CRect(452, 447, 469, 462), 991, 15},       {1019, Kick, CRect(510, 449, 521, 458), 989, 9},
  };
  BarFixture f;
  ASSERT_EQ(f.frame().getNbViews(), 14);
  for (int i = 0; i < 14; ++i) {
    const auto& c = layout[i];
    SCOPED_TRACE(c.tag);
    CControl* control = f.control(c.tag);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(f.frame().getView(i), control) << "added in the table's order";
    EXPECT_EQ(control->getViewSize(), c.rect);
    EXPECT_EQ(control->getListener(), f.editor);
    ASSERT_NE(control->getBackground(), nullptr);
    EXPECT_EQ(control->getBackground()->getResourceId(), c.bitmap);
    switch (c.kind) {
      case Field:
      case Menu: EXPECT_EQ(control->getBackOffset(), c.rect.getTopLeft()) << "the window's own picture behind"; break;
      case Rocker: EXPECT_EQ(dynamic_cast<CPSRockerSwitch*>(control)->getHeightOfOneImage(), c.pictureHeight); break;
      case SaveLoad: EXPECT_EQ(dynamic_cast<CSaveLoadButton*>(control)->getHeightOfOneImage(), c.pictureHeight); break;
      case Kick:
      case DoubleKick: {
        auto* button = dynamic_cast<CPSKickButton*>(control);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->getHeightOfOneImage(), c.pictureHeight);
        EXPECT_EQ(button->isDoubleClickKind(), c.kind == DoubleKick);
        break;
      }
    }
  }
  auto* field = f.editor->nameField();
  EXPECT_EQ(field->getFont()->getSize(), 10);
  EXPECT_EQ(field->getFontColor(), CColor(36, 36, 32));
  EXPECT_EQ(field->getBackColor(), CColor(209, 227, 238));
  EXPECT_EQ(field->getHoriAlign(), kCenterText);
  EXPECT_EQ(f.editor->programMenu()->getStyle() & kNoDrawStyle, kNoDrawStyle);
}

TEST(PresetBarOpen, NeedsAFrameAndAnEffect) {
  stellix::testing::TempConfigHome home;
  auto plugin = std::make_unique<Plugin>(loggingHost);
  CPresetSystemEditor& bare = plugin->presetSystemEditor();
  ERect* rect = nullptr;
  ASSERT_TRUE(bare.getRect(&rect));
  EXPECT_EQ(rect->right, 524);
  EXPECT_EQ(rect->bottom, 462);
  EXPECT_FALSE(bare.CPresetSystemEditor::open(nullptr)) << "no frame";
  EXPECT_EQ(bare.presetBarControl(1000), nullptr);
  EXPECT_NE(plugin->getAeffect()->flags & effFlagsHasEditor, 0) << "the window is offered";

  CPresetSystemEditor orphan(nullptr);
  EXPECT_FALSE(orphan.open(nullptr));
  CControl stray(CRect(0, 0, 1, 1), nullptr, 1019);
  orphan.valueChanged(&stray);  // no effect: nothing happens
  EXPECT_TRUE(orphan.writeBank().empty());
}

TEST(PresetBarReactions, RockerStepsButNeverLeavesTheBank) {
  const struct {
    int from;
    bool right;
    int to;
  } cases[] = {{0, false, 0}, {26, true, 26}, {5, false, 4}, {5, true, 6}, {25, true, 26}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << (c.right ? " right" : " left"));
    BarFixture f(c.from);
    const CRect r = f.control(1001)->getViewSize();
    f.host->click(CPoint(c.right ? r.right - 3 : r.left + 3, centre(r).y));
    EXPECT_EQ(f.plugin->getCurrentProgramIndex(), c.to);
    EXPECT_EQ(f.editor->programMenu()->getCurrent(), c.to);
    EXPECT_EQ(f.fieldText(), f.programName(c.to));
    // The program is applied (again) and the host re-reads the names.
    EXPECT_TRUE(hostWasCalled(audioMasterBeginEdit));
    EXPECT_TRUE(hostWasCalled(audioMasterUpdateDisplay));
    EXPECT_EQ(f.control(1001)->getValue(), 0.0f) << "the release springs back";
  }
}

TEST(PresetBarReactions, MenuEntryThirteenSelectsTvLimiter) {
  BarFixture f(2);
  f.host->platform().setNativeMenu([](const OptionMenuRequest& request) {
    EXPECT_EQ(request.current, 2);
    EXPECT_EQ(request.entriesPerColumn, 12);
    return 13;
  });
  f.click(1012);
  EXPECT_EQ(f.plugin->getCurrentProgramIndex(), 13);
  EXPECT_EQ(f.fieldText(), "TV Limiter");
  EXPECT_EQ(f.programName(13), "TV Limiter");
  EXPECT_EQ(f.editor->programMenu()->getCurrent(), 13);
  EXPECT_TRUE(hostWasCalled(audioMasterUpdateDisplay));
  EXPECT_FLOAT_EQ(f.plugin->getParameter(stellix::kOutput), f.plugin->bank()[13].values[stellix::kOutput]);
}

TEST(PresetBarReactions, NameFieldRenamesTheProgramCutTo24) {
  const struct {
    const char* typed;
    const char* label;  // while typing
    const char* shown;  // field and menu after Enter
    const char* stored;
  } cases[] = {
      {"Club", "Club", "Club", "Club"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1234", "ABCDEFGHIJKLMNOPQRSTUVWXYZ123", "ABCDEFGHIJKLMNOPQRSTUVWX",
       "ABCDEFGHIJKLMNOPQRSTUVW"},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    BarFixture f(4);
    f.click(1000);
    ASSERT_TRUE(f.editor->nameField()->isTextEditing());
    f.host->key(VirtualKey::Delete);  // the whole text starts selected
    f.host->type(c.typed);
    EXPECT_EQ(f.fieldText(), c.label);
    EXPECT_FALSE(hostWasCalled(audioMasterUpdateDisplay)) << "typing tells nobody";
    f.host->key(VirtualKey::Return);
    EXPECT_FALSE(f.editor->nameField()->isTextEditing());
    EXPECT_EQ(f.fieldText(), c.shown);
    EXPECT_EQ(f.menuTitle(4), c.shown);
    EXPECT_EQ(f.programName(4), c.stored);
    EXPECT_TRUE(hostWasCalled(audioMasterUpdateDisplay));
    EXPECT_EQ(f.plugin->getCurrentProgramIndex(), 4);
  }
}

TEST(PresetBarReactions, EscapeRestoresTheNameAndRenamesNothing) {
  BarFixture f(6);
  f.click(1000, kRButton);  // any button opens the box
  ASSERT_TRUE(f.editor->nameField()->isTextEditing());
  EXPECT_EQ(f.fieldText(), "") << "the label is empty while the box is open";
  f.host->type("Something else");
  f.host->key(VirtualKey::Escape);
  EXPECT_EQ(f.fieldText(), "Loudness 2");
  EXPECT_EQ(f.programName(6), "Loudness 2");
  EXPECT_EQ(f.menuTitle(6), "Loudness 2");
  EXPECT_TRUE(hostCalls().empty());
}

TEST(PresetBarReactions, DefaultButtonsStoreOnDoubleClickAndClearWithControl) {
  const struct {
    std::int32_t tag;
    const char* value;
  } buttons[] = {{1013, store::kDefaultBank}, {1014, store::kDefaultPreset}};
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.value);
    BarFixture f;
    f.click(b.tag);
    EXPECT_FALSE(storeHas(b.value)) << "a single click does nothing";
    f.click(b.tag, kLButton | kDoubleClick);
    EXPECT_TRUE(storeHas(b.value));
    f.click(b.tag, kRButton | kDoubleClick);
    EXPECT_TRUE(storeHas(b.value)) << "only the left button counts";
    f.click(b.tag, kLButton | kControl);
    EXPECT_TRUE(storeHas(b.value)) << "Control without a double click does nothing";
    f.click(b.tag, kLButton | kDoubleClick | kControl);
    EXPECT_FALSE(storeHas(b.value));
  }
}

TEST(PresetBarReactions, StoredDefaultPresetReachesTheNextInstance) {
  BarFixture f(21);
  f.click(1014, kLButton | kDoubleClick);
  auto next = std::make_unique<Plugin>(loggingHost);
  EXPECT_EQ(std::string(next->bank()[0].name), "Loud Love");
}

TEST(PresetBarReactions, MemoriesStoreAndRecallTheCurrentProgram) {
  BarFixture f(3);
  f.click(1015);  // store A from program 3
  f.plugin->selectProgram(9);
  f.click(1016);  // store B from program 9
  f.plugin->selectProgram(20);
  hostCalls().clear();
  f.click(1017);  // recall A into program 20
  EXPECT_EQ(f.programName(20), f.programName(3));
  EXPECT_EQ(std::memcmp(f.plugin->bank()[20].values, f.plugin->bank()[3].values, sizeof f.plugin->bank()[3].values), 0);
  EXPECT_EQ(f.fieldText(), f.programName(3));
  EXPECT_EQ(f.menuTitle(20), f.programName(3));
  EXPECT_TRUE(hostWasCalled(audioMasterUpdateDisplay));
  f.click(1018);  // recall B into program 20
  EXPECT_EQ(f.programName(20), f.programName(9));
  EXPECT_EQ(f.plugin->getCurrentProgramIndex(), 20);
}

TEST(PresetBarReactions, RecallingAnEmptyMemoryChangesNothing) {
  BarFixture f(3);
  const stellix::ProgramRecord before = f.plugin->bank()[3];
  f.click(1018);
  EXPECT_EQ(std::memcmp(&f.plugin->bank()[3], &before, sizeof before), 0);
  EXPECT_EQ(f.fieldText(), "Limiter Fast");
}

TEST(PresetBarFiles, ButtonsOpenTheDialogTheyName) {
  const struct {
    std::int32_t tag;
    std::int32_t buttons;
    const char* title;
    bool save;
    const char* type;
    const char* extension;
  } cases[] = {
      {1004, kLButton, "Load preset", false, "Korvan Preset", "kvp"},
      {1004, kRButton, "Load preset (endian-reversed)", false, "Korvan Preset", "kvp"},
      {1004, kRButton | kShift, "Load preset", false, "Korvan Preset", "kvp"},
      {1004, kRButton | kLButton, "Load preset", false, "Korvan Preset", "kvp"},
      {1005, kLButton, "Save preset", true, "Korvan Preset", "kvp"},
      {1005, kRButton, "Save preset", true, "Korvan Preset", "kvp"},
      {1002, kLButton, "Load bank", false, "Korvan Bank", "kvb"},
      {1002, kRButton, "Load bank (endian-reversed)", false, "Korvan Bank", "kvb"},
      {1003, kRButton, "Save bank", true, "Korvan Bank", "kvb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    BarFixture f;
    f.editor->savePresetFile(f.path("old/p.kvp"));  // remembered folder and names
    f.editor->saveBankFile(f.path("old/b.kvb"));
    f.click(c.tag, c.buttons);
    ASSERT_EQ(f.dialog.requests.size(), 1u);
    const FileSelectorRequest& r = f.dialog.requests[0];
    EXPECT_EQ(r.title, c.title);
    EXPECT_EQ(r.save, c.save);
    EXPECT_EQ(r.typeDescription, c.type);
    EXPECT_EQ(r.extension, c.extension);
    EXPECT_EQ(r.initialDirectory, f.path("old/"));
    EXPECT_EQ(r.defaultName, c.save ? (c.extension == std::string("kvp") ? "p.kvp" : "b.kvb") : "");
    EXPECT_EQ(f.control(c.tag)->getValue(), 0.0f);
  }
}

TEST(PresetBarFiles, OtherButtonsOpenNoDialog) {
  BarFixture f;
  for (std::int32_t tag : {1002, 1003, 1004, 1005}) f.click(tag, kMButton);
  EXPECT_TRUE(f.dialog.requests.empty());
}

TEST(PresetBarFiles, SaveThenLoadThroughTheDialog) {
  BarFixture f(7);
  f.dialog.answer = f.path("chosen/seven.kvp");
  std::filesystem::create_directories(f.path("chosen"));
  f.click(1005);
  EXPECT_EQ(f.editor->folder(), f.path("chosen/"));
  EXPECT_EQ(f.editor->presetFileName(), "seven.kvp");
  ASSERT_TRUE(std::filesystem::exists(f.path("chosen/seven.kvp")));

  f.plugin->selectProgram(2);
  hostCalls().clear();
  f.click(1004);
  EXPECT_EQ(f.programName(2), f.programName(7));
  EXPECT_EQ(f.fieldText(), f.programName(7));
  EXPECT_EQ(f.menuTitle(2), f.programName(7));
  EXPECT_EQ(f.plugin->getCurrentProgramIndex(), 2);
  EXPECT_TRUE(hostWasCalled(audioMasterUpdateDisplay));
}

TEST(PresetBarFiles, BankFromTheDialogEndsOnProgramZero) {
  BarFixture f(12);
  f.dialog.answer = f.path("bank.kvb");
  f.plugin->renameCurrentProgram("Twelve");
  f.click(1003);
  f.plugin->selectProgram(5);
  f.plugin->renameCurrentProgram("Five");
  f.editor->programMenu()->getEntry(5)->setTitle("Five");
  f.click(1002);
  EXPECT_EQ(f.plugin->getCurrentProgramIndex(), 0);
  EXPECT_EQ(f.editor->programMenu()->getCurrent(), 0);
  EXPECT_EQ(f.fieldText(), "Default");
  EXPECT_EQ(f.menuTitle(5), "Loudness 1") << "the menu takes the bank's names";
  EXPECT_EQ(f.menuTitle(12), "Twelve");
}

TEST(PresetBarFiles, ACancelledDialogChangesNothing) {
  BarFixture f(7);
  f.editor->savePresetFile(f.path("kept.kvp"));
  const std::string folder = f.editor->folder();
  f.plugin->selectProgram(2);
  const stellix::ProgramRecord before = f.plugin->bank()[2];
  f.click(1004);
  f.click(1005);
  EXPECT_EQ(f.dialog.requests.size(), 2u);
  EXPECT_EQ(f.editor->folder(), folder);
  EXPECT_EQ(f.editor->presetFileName(), "kept.kvp");
  EXPECT_EQ(std::memcmp(&f.plugin->bank()[2], &before, sizeof before), 0);
}

TEST(PresetBarManual, OpensTheStoredPathOrSaysWhyNot) {
  const struct {
    const char* what;
    const char* stored;  // null: no "ManualPath"
    OpenDocumentResult shell;
    const char* message;  // null: none
  } cases[] = {
      {"opened", "/opt/korvan/manual.pdf", OpenDocumentResult::Opened, nullptr},
      {"no application", "/opt/korvan/manual.pdf", OpenDocumentResult::NoAssociation,
       "Could not open manual file | Make sure Acrobat Reader is installed"},
      {"other failure", "/opt/korvan/manual.pdf", OpenDocumentResult::Failed, " | Could not open user manual"},
      {"nothing stored", nullptr, OpenDocumentResult::Failed, " | Could not open user manual"},
      {"nothing stored, no application", nullptr, OpenDocumentResult::NoAssociation,
       "Could not open manual file | Make sure Acrobat Reader is installed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BarFixture f;
    if (c.stored) storeManualPath(c.stored);
    f.editor->shellAnswer = c.shell;
    f.host->mouseDown(f.at(1019));
    EXPECT_EQ(f.editor->shellPaths, Log{c.stored ? c.stored : ""});
    EXPECT_EQ(f.editor->messages, c.message ? Log{c.message} : Log{});
    auto* button = dynamic_cast<CPSKickButton*>(f.control(1019));
    EXPECT_FALSE(button->isPressed()) << "the message box took the release";
    f.host->mouseUp(f.at(1019));
  }
}

TEST(PresetBarManual, AnOverlongStoredPathIsCut) {
  BarFixture f;
  storeManualPath(std::string(3000, 'm'));
  f.click(1019);
  ASSERT_EQ(f.editor->shellPaths.size(), 1u);
  EXPECT_EQ(f.editor->shellPaths[0], std::string(1024, 'm'));
}

TEST(PresetBarWindow, CloseForgetsTheBarAndTheFilesKeepWorking) {
  BarFixture f(7);
  f.close();
  for (std::int32_t tag : {1000, 1001, 1012, 1002, 1019}) EXPECT_EQ(f.editor->presetBarControl(tag), nullptr) << tag;
  EXPECT_EQ(f.editor->getFrame(), nullptr);
  ASSERT_TRUE(f.editor->savePresetFile(f.path("closed.kvp")));
  f.plugin->selectProgram(1);
  EXPECT_TRUE(f.editor->loadPresetFile(f.path("closed.kvp"), false));
  EXPECT_EQ(f.programName(1), f.programName(7));
  f.editor->showProgramName("Nobody sees this");
  f.editor->idle();

  // Opened again, the bar shows the bank as it is now.
  f.open();
  EXPECT_EQ(f.fieldText(), f.programName(7));
  EXPECT_EQ(f.editor->programMenu()->getCurrent(), 1);
  EXPECT_EQ(f.menuTitle(1), f.programName(7));
}

TEST(PresetBarWindow, HostRenamesShowInTheFieldAndTheCurrentEntry) {
  BarFixture f(8);
  char name[] = "Renamed by host";
  f.plugin->dispatcher(effSetProgramName, 0, 0, name, 0.0f);
  EXPECT_EQ(f.fieldText(), "Renamed by host");
  EXPECT_EQ(f.menuTitle(8), "Renamed by host");
}

TEST(PresetBarWindow, ReportsFromOtherThreadsWaitForTheIdle) {
  BarFixture f(3);
  // A bank with program 12 current and renamed programs, given as a chunk by another thread.
  f.plugin->selectProgram(12);
  f.plugin->renameCurrentProgram("From chunk");
  void* data = nullptr;
  const VstInt32 size = f.plugin->getChunk(&data, false);
  std::vector<std::uint8_t> chunk(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
  f.plugin->renameCurrentProgram("TV Hot");
  f.plugin->selectProgram(3);

  std::thread([&] {
    EXPECT_EQ(f.plugin->setChunk(chunk.data(), size, false), 0);
    char name[] = "Host name";
    f.plugin->setProgramName(name);
  }).join();
  EXPECT_EQ(f.plugin->getCurrentProgramIndex(), 12);
  EXPECT_EQ(f.fieldText(), "Limiter Fast") << "controls are touched on the window's thread only";
  EXPECT_EQ(f.editor->programMenu()->getCurrent(), 3);

  f.editor->idle();
  EXPECT_EQ(f.fieldText(), "Host name");
  EXPECT_EQ(f.editor->programMenu()->getCurrent(), 12);
  EXPECT_EQ(f.menuTitle(12), "Host name");
}

}  // namespace
}  // namespace presetbar_test
