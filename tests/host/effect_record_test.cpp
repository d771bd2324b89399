// The effect record and the dispatcher, seen from a host that loads the built library.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tools/testhost/testhost.h"

namespace stellix::testing {
namespace {

class EffectRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.loaded()) << host.error();
    ASSERT_NE(host.open(), nullptr);
  }
  TestHost host;
};

TEST_F(EffectRecord, FieldsAsTheHostSeesThem) {
  const AEffect* e = host.effect();
  EXPECT_EQ(e->magic, fourCharConst("VstP"));
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->numParams, 26);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks | effFlagsCanDoubleReplacing);
  EXPECT_EQ(e->initialDelay, 159);
  EXPECT_EQ(e->realQualities, 0);
  EXPECT_EQ(e->offQualities, 0);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_NE(e->object, nullptr);
  EXPECT_EQ(e->user, nullptr);
  EXPECT_EQ(e->uniqueID, fourCharConst("KrSt"));
  EXPECT_EQ(e->version, 1);
  EXPECT_EQ(e->reserved1, 0);
  EXPECT_EQ(e->reserved2, 0);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->processDoubleReplacing, nullptr);
  EXPECT_NE(e->process, nullptr);
}

TEST_F(EffectRecord, DispatcherAnswers) {
  char text[128] = "bypass";
  ERect* rect = reinterpret_cast<ERect*>(0x1);
  struct Case {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    VstIntPtr expected;
  };
  const Case cases[] = {
      {effOpen, 0, 0, nullptr, 0},
      {effSetProgram, 0, 3, nullptr, 0},
      {effGetProgram, 0, 0, nullptr, 0},
      {effSetBlockSize, 0, 4096, nullptr, 0},
      {effMainsChanged, 0, 1, nullptr, 0},
      {effMainsChanged, 0, 0, nullptr, 0},
      {effEditGetRect, 0, 0, &rect, 1},
      {effEditOpen, 0, 0, nullptr, 0},  // no parent window: nothing opens
      {effEditClose, 0, 0, nullptr, 0},
      {effEditIdle, 0, 0, nullptr, 0},
      {effIdentify, 0, 0, nullptr, 1316373862},
      {effProcessEvents, 0, 0, nullptr, 0},
      {effCanBeAutomated, 0, 0, nullptr, 1},
      {effCanBeAutomated, 25, 0, nullptr, 1},
      {effString2Parameter, 0, 0, text, 0},
      {effGetInputProperties, 0, 0, text, 0},
      {effGetOutputProperties, 0, 0, text, 0},
      {effGetPlugCategory, 0, 0, nullptr, 4},
      {effOfflineNotify, 0, 0, nullptr, 0},
      {effOfflinePrepare, 0, 0, nullptr, 0},
      {effOfflineRun, 0, 0, nullptr, 0},
      {effProcessVarIo, 0, 0, nullptr, 0},
      {effSetSpeakerArrangement, 0, 0, nullptr, 0},
      {effSetBypass, 0, 1, nullptr, 0},
      {effGetVendorVersion, 0, 0, nullptr, 1510},
      {effVendorSpecific, 0, 0, nullptr, 0},
      {effCanDo, 0, 0, text, 0},
      {effGetTailSize, 0, 0, nullptr, 0},
      {effGetVstVersion, 0, 0, nullptr, 2400},
      {effEditKeyDown, 65, 0, nullptr, 0},
      {effEditKeyUp, 65, 0, nullptr, 0},
      {effSetEditKnobMode, 0, 2, nullptr, 0},
      {effGetMidiProgramName, 0, 0, nullptr, 0},
      {effGetCurrentMidiProgram, 0, 0, nullptr, 0},
      {effGetMidiProgramCategory, 0, 0, nullptr, 0},
      {effHasMidiProgramsChanged, 0, 0, nullptr, 0},
      {effGetMidiKeyName, 0, 0, nullptr, 0},
      {effBeginSetProgram, 0, 0, nullptr, 0},
      {effEndSetProgram, 0, 0, nullptr, 0},
      {effShellGetNextPlugin, 0, 0, text, 0},
      {effStartProcess, 0, 0, nullptr, 0},
      {effStopProcess, 0, 0, nullptr, 0},
      {effSetTotalSampleToProcess, 0, 123456, nullptr, 123456},
      {effSetPanLaw, 0, 0, nullptr, 0},
      {effBeginLoadBank, 0, 0, nullptr, 0},
      {effBeginLoadProgram, 0, 0, nullptr, 0},
      {effSetProcessPrecision, 0, 1, nullptr, 0},
      {effGetNumMidiInputChannels, 0, 0, nullptr, 0},
      {effGetNumMidiOutputChannels, 0, 0, nullptr, 0},
      {9, 0, 0, nullptr, 0},
      {200, 0, 0, nullptr, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host.dispatch(c.opcode, c.index, c.value, c.ptr), c.expected) << "opcode " << c.opcode;
  }
  // The window's size is known before any window opens.
  ASSERT_NE(rect, reinterpret_cast<ERect*>(0x1));
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 462);
  EXPECT_EQ(rect->right, 524);
  EXPECT_EQ(host.effect()->initialDelay, 159);
}

TEST_F(EffectRecord, CanDoAnswersNothing) {
  for (const char* s : {"bypass", "receiveVstTimeInfo", "sendVstEvents", "", "x"}) {
    char text[64];
    std::strcpy(text, s);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, text), 0) << s;
  }
}

TEST_F(EffectRecord, NameStrings) {
  struct Case {
    VstInt32 opcode;
    const char* expected;
  };
  for (const Case& c : {Case{effGetEffectName, "Korvan Stellix"}, Case{effGetProductString, "Full band precision limiter"}}) {
    char text[65] = {};
    EXPECT_EQ(host.dispatch(c.opcode, 0, 0, text), 1);
    EXPECT_STREQ(text, c.expected);
  }
  char vendor[65] = {};
  EXPECT_EQ(host.dispatch(effGetVendorString, 0, 0, vendor), 1);
  EXPECT_GT(std::strlen(vendor), 0u);
  EXPECT_LT(std::strlen(vendor), 64u);
}

TEST_F(EffectRecord, SpeakerArrangementPointersAreCleared) {
  void* in = &in;
  void* out = &out;
  EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
  EXPECT_EQ(in, nullptr);
  EXPECT_EQ(out, nullptr);
}

TEST_F(EffectRecord, LatencyFollowsTheSampleRateRange) {
  struct Case {
    float rate;
    VstInt32 latency;
  };
  for (Case c : {Case{44100, 159}, {48000, 159}, {88200, 287}, {96000, 287}, {176400, 543}, {192000, 543},
                 {4000, 159}, {250000, 159}, {169999, 287}, {170000, 543}, {79999.9f, 159}}) {
    host.dispatch(effSetSampleRate, 0, 0, nullptr, c.rate);
    EXPECT_EQ(host.effect()->initialDelay, c.latency) << c.rate;
  }
}

TEST_F(EffectRecord, NoParameterChangesTheLatency) {
  host.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
  for (int i = 0; i < 26; ++i) {
    for (float v : {0.0f, 0.5f, 1.0f}) host.setParameter(i, v);
  }
  EXPECT_EQ(host.effect()->initialDelay, 287);
}

TEST_F(EffectRecord, ProgramIsAlwaysZeroForTheHost) {
  EXPECT_EQ(host.dispatch(effSetProgram, 0, 0), 0);
  EXPECT_EQ(host.dispatch(effGetProgram), 0);
  EXPECT_EQ(host.text(effGetProgramName), "Default");
}

TEST(Entry, RefusesAHostThatAnswersVersionZero) {
  TestHost host;
  host.versionAnswer = 0;
  EXPECT_EQ(host.open(), nullptr);
  const auto calls = host.calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].opcode, audioMasterVersion);
}

TEST(Entry, MainIsTheSameEntryAndAsksTheVersionTwice) {
  TestHost host;
  ASSERT_NE(host.open("main"), nullptr);
  const auto calls = host.calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0].opcode, audioMasterVersion);
  EXPECT_EQ(calls[1].opcode, audioMasterVersion);
  EXPECT_EQ(host.effect()->uniqueID, fourCharConst("KrSt"));
}

TEST(Entry, EffCloseAnswersOne) {
  TestHost host;
  ASSERT_NE(host.open(), nullptr);
  EXPECT_EQ(host.close(), 1);
}

}  // namespace
}  // namespace stellix::testing
