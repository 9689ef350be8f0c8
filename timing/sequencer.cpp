// The scene sequencer: one step per pass of the run loop, driven by the
// music position alone.
#include "timing/sequencer.h"

#include "sound/sound.h"

namespace {

// Stepping before a table is installed finds this terminator and reports
// the end at once.
const SceneEntry EmptyTable[] = {
    {SceneTableEnd, nullptr, nullptr, nullptr},
};

// State of the sequencer; main thread only.
const SceneEntry* CurrentRow = EmptyTable;   // the row the next step works on
const SceneEntry* LastEnteredRow = nullptr;  // compared by identity, not contents

bool LeaveRow(const SceneEntry* row) {
  row->leave();
  CurrentRow = row + 1;
  return CurrentRow->endMark == SceneTableEnd;
}

}  // namespace

void InstallSceneTable(const SceneEntry* table) { CurrentRow = table; }

bool SequencerStep() {
  uint32_t position = SoundPosition();
  const SceneEntry* row = CurrentRow;
  if (row->endMark == SceneTableEnd) {
    return true;
  }
  if (position >= row->endMark) {
    return LeaveRow(row);
  }
  if (row != LastEnteredRow) {
    LastEnteredRow = row;
    row->enter();
    return false;
  }
  if (row->frame()) {
    return LeaveRow(row);
  }
  return false;
}
