// The scene sequencer against the stand-in sound library's position: row
// entry by identity, end marks, done flags and the end of the table.
#include "sound/sound.h"
#include "tests/fake/fake_platform.h"
#include "tests/fake/fake_soundlib.h"
#include "timing/sequencer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Routine calls, as "e0 f0 l0 ..." (kind and row).
std::string Trace;
// Rows whose frame routine reports done.
bool DoneFrame[4];

template <int Row>
void Enter() {
  Trace += "e" + std::to_string(Row) + " ";
}
template <int Row>
bool Frame() {
  Trace += "f" + std::to_string(Row) + " ";
  return DoneFrame[Row];
}
template <int Row>
void Leave() {
  Trace += "l" + std::to_string(Row) + " ";
}

// The routines of an end row: never called.
void NeverVoid() { ADD_FAILURE() << "terminator routine called"; }
bool NeverBool() {
  ADD_FAILURE() << "terminator routine called";
  return true;
}

const SceneEntry Terminator = {SceneTableEnd, NeverVoid, NeverBool, NeverVoid};

// A row of the traced routines of `Row`, ending at `endMark`.
template <int Row>
constexpr SceneEntry Traced(uint32_t endMark) {
  return SceneEntry{endMark, Enter<Row>, Frame<Row>, Leave<Row>};
}

// Tables are static: rows are told apart by their place in memory, so two
// tests must not reuse one stack slot for their rows.
class Sequencer : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeReset();
    FakeSoundLibInstall();
    ASSERT_TRUE(SoundOpen(SoundTypeMpeg, 0));
    Trace.clear();
    for (bool& d : DoneFrame) {
      d = false;
    }
  }
  // Steps n times at the given position; the results joined as "FFT...".
  std::string Steps(int n, uint32_t position) {
    FakeSoundLibSetPosition(position);
    std::string r;
    for (int i = 0; i < n; i++) {
      r += SequencerStep() ? "T" : "F";
    }
    return r;
  }
};

TEST_F(Sequencer, BeforeAnyTableEveryStepReportsTheEnd) {
  EXPECT_EQ(Steps(3, 0), "TTT");
  // The position is read first on every step, even then.
  EXPECT_EQ(FakeCount("FSOUND_GetCurrentPosition"), 3u);
}

TEST_F(Sequencer, ATableOfOnlyTheTerminatorEndsAtOnce) {
  static const SceneEntry table[] = {Terminator};
  InstallSceneTable(table);
  EXPECT_EQ(Steps(2, 0), "TT");
  EXPECT_EQ(Trace, "");
}

TEST_F(Sequencer, EnterThenFramesThenLeaveAtTheEndMark) {
  static const SceneEntry table[] = {Traced<0>(100), Traced<1>(200), Terminator};
  InstallSceneTable(table);
  EXPECT_EQ(Steps(3, 99), "FFF");
  // Exactly the end mark ends the row; its frame routine does not run then.
  EXPECT_EQ(Steps(1, 100), "F");
  EXPECT_EQ(Trace, "e0 f0 f0 l0 ");
  Trace.clear();
  // The next row is entered on the following step; the step that leaves
  // the last row already reports the end.
  EXPECT_EQ(Steps(2, 150), "FF");
  EXPECT_EQ(Steps(1, 200), "T");
  EXPECT_EQ(Trace, "e1 f1 l1 ");
  // After the end nothing runs again, and the position is still read.
  size_t reads = FakeCount("FSOUND_GetCurrentPosition");
  EXPECT_EQ(Steps(3, 0), "TTT");
  EXPECT_EQ(Trace, "e1 f1 l1 ");
  EXPECT_EQ(FakeCount("FSOUND_GetCurrentPosition"), reads + 3);
}

TEST_F(Sequencer, EndMarksCompareUnsigned) {
  static const SceneEntry table[] = {Traced<0>(0x80000000u), Terminator};
  InstallSceneTable(table);
  EXPECT_EQ(Steps(2, 0x7FFFFFFFu), "FF");
  EXPECT_EQ(Steps(1, 0xFFFFFFFEu), "T");
  EXPECT_EQ(Trace, "e0 f0 l0 ");
}

TEST_F(Sequencer, RowsAlreadyPassedAreLeftOnePerStepWithoutEntry) {
  static const SceneEntry table[] = {Traced<0>(10), Traced<1>(20), Traced<2>(1000), Terminator};
  InstallSceneTable(table);
  EXPECT_EQ(Steps(1, 50), "F");
  EXPECT_EQ(Trace, "l0 ");
  EXPECT_EQ(Steps(1, 50), "F");
  EXPECT_EQ(Trace, "l0 l1 ");
  EXPECT_EQ(Steps(2, 50), "FF");
  EXPECT_EQ(Trace, "l0 l1 e2 f2 ");
}

TEST_F(Sequencer, FramesDoneAtOnceMakeEveryRowLastTwoSteps) {
  for (bool& d : DoneFrame) {
    d = true;
  }
  static const SceneEntry table[] = {Traced<0>(1000), Traced<1>(1000), Traced<2>(1000), Terminator};
  InstallSceneTable(table);
  EXPECT_EQ(Steps(6, 0), "FFFFFT");
  EXPECT_EQ(Trace, "e0 f0 l0 e1 f1 l1 e2 f2 l2 ");
}

TEST_F(Sequencer, RowsWithTheSameRoutinesAreEnteredSeparately) {
  DoneFrame[0] = true;
  static const SceneEntry table[] = {Traced<0>(1000), Traced<0>(1000), Terminator};
  InstallSceneTable(table);
  EXPECT_EQ(Steps(4, 0), "FFFT");
  EXPECT_EQ(Trace, "e0 f0 l0 e0 f0 l0 ");
}

TEST_F(Sequencer, InstallingKeepsTheLastEnteredRow) {
  static const SceneEntry table[] = {Traced<0>(1000), Terminator};
  InstallSceneTable(table);
  EXPECT_EQ(Steps(1, 0), "F");
  // The same first row again: it counts as entered already.
  InstallSceneTable(table);
  EXPECT_EQ(Steps(1, 0), "F");
  EXPECT_EQ(Trace, "e0 f0 ");
}

}  // namespace
