// The whole script in simulated time: the rows in order with every enter,
// frame and leave, the fade lengths in ticks, the pauses, the scroll, rows
// left without entry, the end of the table and the exit code.
#include "demo/draw.h"
#include "demo/fade.h"
#include "demo/script.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"
#include "tests/fake/fake_soundlib.h"
#include "tests/presentation/sim.h"
#include "timing/ticktimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr uint32_t ColourBits = 0x00FFFFFF;

// The script as the presentation is meant to run, written out here rather
// than taken from the script's own constants.
constexpr uint32_t PictureFadeTicks = 32;      // per level: 4,096 ticks a fade
constexpr uint32_t ScrollerFadeInTicks = 128;  // per level: 16,384 ticks
constexpr uint32_t ScrollerFadeOutTicks = 8;   // per level: 1,024 ticks
constexpr uint32_t ScrollTicks = 42;           // per column
constexpr uint32_t LastColumn = 2880;
constexpr uint32_t FirstCue = 65536;
constexpr uint32_t SecondCue = 5423104;
constexpr uint32_t ThirdCue = 5505536;
constexpr uint64_t OpeningPause = 3000;
constexpr uint64_t ClosingPause = 2000;
constexpr uint64_t FinalPause = 1000;
constexpr uint32_t RowCount = 8;

// The trace split by row: where each row's calls are.
struct RowCalls {
  int enter = -1;             // trace index of the enter, -1 if none
  std::vector<int> frames;    // trace indexes of the frames
  int leave = -1;             // trace index of the leave
};

std::vector<RowCalls> SplitByRow() {
  std::vector<RowCalls> rows(RowCount);
  for (size_t i = 0; i < SimTraceCount(); i++) {
    const SimTraceEntry& e = SimTraceAt(i);
    RowCalls& r = rows.at(e.row);
    int at = static_cast<int>(i);
    switch (e.call) {
      case SimCall::Enter:
        EXPECT_EQ(r.enter, -1) << "row " << e.row << " entered twice";
        r.enter = at;
        break;
      case SimCall::Frame:
        r.frames.push_back(at);
        break;
      case SimCall::Leave:
        EXPECT_EQ(r.leave, -1) << "row " << e.row << " left twice";
        r.leave = at;
        break;
    }
  }
  return rows;
}

// Rows follow each other: for each row enter (if any), its frames, its
// leave, and nothing of another row in between.
void ExpectRowOrder() {
  uint32_t row = 0;
  int phase = 0;   // 0 before enter, 1 after enter, 2 after a frame
  for (size_t i = 0; i < SimTraceCount(); i++) {
    const SimTraceEntry& e = SimTraceAt(i);
    ASSERT_EQ(e.row, row) << "trace entry " << i;
    if (e.call == SimCall::Enter) {
      ASSERT_EQ(phase, 0) << "row " << row;
      phase = 1;
    } else if (e.call == SimCall::Frame) {
      ASSERT_NE(phase, 0) << "row " << row << " framed before its entry";
      phase = 2;
    } else {
      row++;
      phase = 0;
    }
  }
  EXPECT_EQ(row, RowCount) << "the table did not run to its end";
}

const SimTraceEntry& At(int i) { return SimTraceAt(static_cast<size_t>(i)); }

// FadeLevel changes strictly inside (from, to].
std::vector<SimLevelChange> LevelsBetween(uint64_t from, uint64_t to) {
  std::vector<SimLevelChange> out;
  for (size_t i = 0; i < SimLevelChanges(); i++) {
    const SimLevelChange& c = SimLevelChangeAt(i);
    if (c.tick > from && c.tick <= to) {
      out.push_back(c);
    }
  }
  return out;
}

// One level per `period` ticks from `start`, from `first` towards `last`.
void ExpectFade(const char* what, uint64_t start, uint64_t until, uint32_t period, int first,
                int last) {
  std::vector<SimLevelChange> changes = LevelsBetween(start, until);
  int step = last > first ? 1 : -1;
  int steps = (last - first) * step;
  ASSERT_EQ(changes.size(), static_cast<size_t>(steps)) << what;
  for (int k = 1; k <= steps; k++) {
    EXPECT_EQ(changes[k - 1].level, first + k * step) << what << " step " << k;
    EXPECT_EQ(changes[k - 1].tick, start + static_cast<uint64_t>(k) * period) << what << " step " << k;
  }
}

// A picture fade row: each frame drew the level the clock gives, reported
// done exactly at the end value, and paused `hold` there.
void ExpectPictureRow(const RowCalls& r, int from, int to, uint64_t hold,
                      uint32_t (*pixel)(uint32_t)) {
  ASSERT_GE(r.enter, 0);
  ASSERT_FALSE(r.frames.empty());
  uint64_t start = At(r.enter).tick;
  for (size_t k = 0; k < r.frames.size(); k++) {
    const SimTraceEntry& f = At(r.frames[k]);
    int elapsed = static_cast<int>((f.tick - start) / PictureFadeTicks);
    int level = to > from ? std::min(to, from + elapsed) : std::max(to, from - elapsed);
    bool last = k + 1 == r.frames.size();
    EXPECT_EQ(f.levelAfter, level) << "frame " << k;
    EXPECT_EQ(f.done, last) << "frame " << k;
    EXPECT_EQ(f.ticksInside, last ? hold : 0u) << "frame " << k;
  }
  const SimTraceEntry& done = At(r.frames.back());
  EXPECT_EQ(done.levelAfter, to);
  // The last frame is the picture at the end level.
  uint32_t expected = to == FadeLevelNormal ? pixel(0) : 0;
  EXPECT_EQ(done.frameFirstPixel & ColourBits, expected & ColourBits);
  // Left in the same step, right after the pause.
  EXPECT_EQ(r.leave, r.frames.back() + 1);
  EXPECT_EQ(At(r.leave).tick, done.tick + hold);
  ExpectFade("picture fade", start, done.tick, PictureFadeTicks, from, to);
}

// Passes of a 60 Hz display for the detailed timeline; the other runs take
// longer passes, which changes nothing they look at and saves drawing.
constexpr uint32_t LongPassMs = 50;

SimOptions LongPasses() {
  SimOptions options;
  options.passMs = LongPassMs;
  return options;
}

TEST(Timeline, TheWholeScriptAtTheMusicsOwnSpeed) {
  SimReset(SimOptions{});
  ASSERT_EQ(SimRunTraced(), 0u);
  ExpectRowOrder();
  std::vector<RowCalls> rows = SplitByRow();
  for (uint32_t i = 0; i < RowCount; i++) {
    ASSERT_GE(rows[i].enter, 0) << "row " << i;
    ASSERT_GE(rows[i].leave, 0) << "row " << i;
  }

  // Row 0: the entry draws nothing, so the loading picture is still there;
  // the first frame is the opening picture at level 0, black.
  EXPECT_EQ(At(rows[0].enter).frameFirstPixel, SimLoadingPixel(0));
  EXPECT_EQ(At(rows[0].frames.front()).levelAfter, 0);
  EXPECT_EQ(At(rows[0].frames.front()).frameFirstPixel & ColourBits, 0u);
  ExpectPictureRow(rows[0], FadeLevelBlack, FadeLevelNormal, OpeningPause, SimOpeningPixel);
  ExpectPictureRow(rows[1], FadeLevelNormal, FadeLevelBlack, 0, SimOpeningPixel);

  // Row 2: the music starts on entry; nothing is drawn (the frame stays
  // black) until the first cue, which ends the row on the step reaching it.
  EXPECT_EQ(FakeCount("FSOUND_PlaySound"), 1u);
  for (int f : rows[2].frames) {
    EXPECT_LT(At(f).position, FirstCue);
    EXPECT_FALSE(At(f).done);
    EXPECT_EQ(At(f).frameFirstPixel & ColourBits, 0u);
  }
  EXPECT_GE(At(rows[2].leave).position, FirstCue);
  EXPECT_EQ(rows[2].leave, rows[2].frames.back() + 1);

  // Row 3: fade-in one level per 128 ticks with the flicker, scroll one
  // column per 42 ticks from its entry on.
  uint64_t scrollStart = At(rows[3].enter).tick;
  for (size_t k = 0; k < rows[3].frames.size(); k++) {
    const SimTraceEntry& f = At(rows[3].frames[k]);
    int level = std::min<int>(FadeLevelNormal, static_cast<int>((f.tick - scrollStart) / ScrollerFadeInTicks));
    EXPECT_EQ(f.levelAfter, level);
    EXPECT_EQ(f.done, level == FadeLevelNormal);
  }
  ExpectFade("scroller fade-in", scrollStart, At(rows[3].frames.back()).tick, ScrollerFadeInTicks, 0, 128);
  EXPECT_EQ(rows[3].leave, rows[3].frames.back() + 1);

  // Row 4: flickers at full level until the second cue.
  for (int f : rows[4].frames) {
    EXPECT_LT(At(f).position, SecondCue);
    EXPECT_EQ(At(f).levelAfter, FadeLevelNormal);
    EXPECT_GE(At(f).flickerAfter, -FlickerRange);
    EXPECT_LE(At(f).flickerAfter, FlickerRange);
  }
  EXPECT_GE(At(rows[4].leave).position, SecondCue);

  // Row 5: fades out in 1,024 ticks with the last flicker value, until the
  // third cue; its leave stops the scroll.
  uint64_t fadeOutStart = At(rows[5].enter).tick;
  EXPECT_EQ(At(rows[5].enter).levelAfter, FadeLevelNormal);
  ExpectFade("scroller fade-out", fadeOutStart, At(rows[5].leave).tick, ScrollerFadeOutTicks, 128, 0);
  for (int f : rows[5].frames) {
    EXPECT_LT(At(f).position, ThirdCue);
    EXPECT_EQ(At(f).flickerAfter, At(rows[5].enter).flickerAfter);
  }
  EXPECT_GE(At(rows[5].leave).position, ThirdCue);

  // The scroll through rows 3 to 5, reaching its end before the third cue.
  for (uint32_t row = 3; row <= 5; row++) {
    for (int f : rows[row].frames) {
      uint64_t columns = (At(f).tick - scrollStart) / ScrollTicks;
      EXPECT_EQ(At(f).scrollAfter, std::min<uint64_t>(LastColumn, columns));
    }
  }
  EXPECT_EQ(At(rows[5].leave).scrollAfter, LastColumn);

  ExpectPictureRow(rows[6], FadeLevelBlack, FadeLevelNormal, ClosingPause, SimClosingPixel);
  ExpectPictureRow(rows[7], FadeLevelNormal, FadeLevelBlack, FinalPause, SimClosingPixel);

  // No slot is left armed after the last row.
  for (const TimerSlot& slot : TimerSlots) {
    EXPECT_EQ(slot.active.load(), 0u);
  }
  EXPECT_EQ(FakeSleptMilliseconds(), OpeningPause + ClosingPause + FinalPause);
}

TEST(Timeline, RowsWhoseCueHasPassedAreLeftWithoutEntry) {
  SimOptions options = LongPasses();
  options.musicPermille = 10000;   // both scroller cues pass during the fade-in
  SimReset(options);
  ASSERT_EQ(SimRunTraced(), 0u);
  ExpectRowOrder();
  std::vector<RowCalls> rows = SplitByRow();
  for (uint32_t row : {4u, 5u}) {
    EXPECT_EQ(rows[row].enter, -1) << row;
    EXPECT_TRUE(rows[row].frames.empty()) << row;
    ASSERT_GE(rows[row].leave, 0) << row;
  }
  // One row left per step, then the closing picture is entered one step later.
  EXPECT_EQ(rows[4].leave, rows[3].leave + 1);
  EXPECT_EQ(rows[5].leave, rows[4].leave + 1);
  EXPECT_EQ(rows[6].enter, rows[5].leave + 1);
  EXPECT_GT(At(rows[5].leave).tick, At(rows[4].leave).tick);
  // Row 5's leave still stopped the scroll, wherever it stood.
  uint32_t stopped = At(rows[5].leave).scrollAfter;
  EXPECT_LT(stopped, LastColumn);
  EXPECT_EQ(At(static_cast<int>(SimTraceCount()) - 1).scrollAfter, stopped);
}

TEST(Timeline, TheScrollStopsWithRowFiveWhenTheCueComesFirst) {
  SimOptions options = LongPasses();
  options.musicPermille = 1050;   // the third cue comes before column 2,880
  SimReset(options);
  ASSERT_EQ(SimRunTraced(), 0u);
  std::vector<RowCalls> rows = SplitByRow();
  ASSERT_GE(rows[3].enter, 0);
  ASSERT_GE(rows[5].enter, 0);
  uint64_t scrollStart = At(rows[3].enter).tick;
  const SimTraceEntry& leave = At(rows[5].leave);
  EXPECT_EQ(leave.scrollAfter, (leave.tick - scrollStart) / ScrollTicks);
  EXPECT_LT(leave.scrollAfter, LastColumn);
  for (size_t i = static_cast<size_t>(rows[5].leave); i < SimTraceCount(); i++) {
    EXPECT_EQ(SimTraceAt(i).scrollAfter, leave.scrollAfter);
  }
  EXPECT_EQ(ScrollPosition.load(), leave.scrollAfter);
}

TEST(Timeline, TheEntryPointPlaysToTheEndAndExitsWithZero) {
  SimReset(LongPasses());
  ASSERT_EQ(SimRunMain(), 0u);
  // The holds, in order.
  std::vector<int64_t> sleeps;
  for (size_t i = 0; i < FakeCallCount(); i++) {
    if (std::string(FakeCallAt(i).op) == FakeSleepCall::Op) {
      sleeps.push_back(FakeArgsAt<FakeSleepCall>(i).milliseconds);
    }
  }
  EXPECT_EQ(sleeps, (std::vector<int64_t>{OpeningPause, ClosingPause, FinalPause}));
  // The music started once and was stopped twice, after the loop and again
  // inside the close, both for the channel it played on.
  EXPECT_EQ(FakeCount("FSOUND_PlaySound"), 1u);
  EXPECT_EQ(FakeCount("FSOUND_StopSound"), 2u);
  size_t stop = FakeFind("FSOUND_StopSound");
  EXPECT_EQ(FakeArgsAt<FakeSoundStopCall>(stop).channel, FakeSoundChannel);
  EXPECT_EQ(FakeFirst<FakeSoundStopCall>(stop + 1).channel, FakeSoundChannel);
  EXPECT_FALSE(FakeSoundLibPlaying());
}

TEST(Timeline, AVirtualClockRepeatsTheFlicker) {
  auto flickers = [] {
    SimOptions options = LongPasses();
    options.musicPermille = 10000;
    SimReset(options);
    EXPECT_EQ(SimRunTraced(), 0u);
    std::vector<int32_t> values;
    for (size_t i = 0; i < SimTraceCount(); i++) {
      if (SimTraceAt(i).row == 3) {
        values.push_back(SimTraceAt(i).flickerAfter);
      }
    }
    return values;
  };
  std::vector<int32_t> first = flickers();
  std::vector<int32_t> second = flickers();
  EXPECT_EQ(first, second);
  // Not one value all along: the generator did run.
  EXPECT_NE(std::count(first.begin(), first.end(), first.back()), static_cast<long>(first.size()));

  // The seed follows the clock.
  FakeSetClockNanoseconds(1000000000ull);
  uint16_t a = ScrollerSeed();
  FakeSetClockNanoseconds(1000000000ull + 123457);
  EXPECT_NE(ScrollerSeed(), a);
}

}  // namespace
