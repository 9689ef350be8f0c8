// The scene sequencer: walks a scene table against the music position.
#pragma once
#include <cstdint>

constexpr uint32_t SceneTableEnd = 0xFFFFFFFF;   // end mark of the terminator row

struct SceneEntry {
  uint32_t endMark;       // music position at which the row ends
  void (*enter)();        // first step of the row
  bool (*frame)();        // later steps; true = done
  void (*leave)();        // once, when the row ends
};

void InstallSceneTable(const SceneEntry* table);

// One step; true once the table has ended.
bool SequencerStep();
