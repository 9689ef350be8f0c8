// The music: the sound library bound at run time by fifteen entry names,
// the sample family for MPEG audio and the module family for tracker music.
#include "sound/sound.h"

#include "base/sound_entries.h"
#include "base/syserror.h"
#include "platform/plat_module.h"

#include <cstring>

namespace {

// The entry names in lookup order, each zero-terminated, the list ended by a
// single 0xFF byte. Slot n of the SoundEntryTable takes the n-th name.
#define QZ_SOUND_DECORATED_NAME(slot, name, bytes, result, parameters) "_" #name "@" #bytes "\0"
constexpr char SoundEntryNames[] = QZ_SOUND_ENTRIES(QZ_SOUND_DECORATED_NAME) "\xFF";
#undef QZ_SOUND_DECORATED_NAME

constexpr int CountEntryNames(const char* list) {
  int n = 0;
  while (*list != '\xFF') {
    while (*list != '\0') {
      list++;
    }
    list++;
    n++;
  }
  return n;
}
static_assert(CountEntryNames(SoundEntryNames) == SoundEntryCount);

constexpr int MixingRate = 44100;      // Hz
constexpr int SoftwareChannels = 32;
constexpr unsigned InitFlags = 0;
constexpr int AnySlot = -1;            // the library picks a free sample slot or channel
constexpr int InitSuccess = 1;         // the only initialisation result taken as success
constexpr uint32_t OrderBits = 0xFF00; // where the order lands in a module position

// The library's entry points, one pointer type per slot (InitFn, ...).
using SoundHandle = void*;
#define QZ_SOUND_ENTRY_TYPE(slot, name, bytes, result, parameters) using slot##Fn = result(QZ_SOUNDAPI*) parameters;
QZ_SOUND_ENTRIES(QZ_SOUND_ENTRY_TYPE)
#undef QZ_SOUND_ENTRY_TYPE

struct SoundEntryTable {
  void* slot[SoundEntryCount];  // entry addresses, by slot number
  int bound;                    // slots filled by the current binding, from slot 0
};

// The one SoundDevice. Every field starts as zero.
struct SoundDeviceState {
  uint32_t typeTag;         // SoundTypeMpeg: sample family; anything else: module family
  PlatModule library;       // the loaded sound library, null while none is loaded
  SoundHandle song;         // module family: the loaded song
  SoundHandle sample;       // sample family: the loaded sample
  int32_t channel;          // sample family: channel playing the sample, 0 before play
  SoundEntryTable entries;  // the bound entry points
};
SoundDeviceState SoundDevice;

bool SampleFamily() { return SoundDevice.typeTag == SoundTypeMpeg; }

// A slot may be called only when the current binding filled it; after a
// lookup that stopped at a missing name the later slots hold stale values.
bool Bound(int slot) { return SoundDevice.library != nullptr && slot < SoundDevice.entries.bound; }

template <typename Fn>
Fn Entry(int slot) {
  return reinterpret_cast<Fn>(SoundDevice.entries.slot[slot]);
}

bool BindEntries() {
  SoundDevice.entries.bound = 0;
  const char* name = SoundEntryNames;
  for (int slot = 0; slot < SoundEntryCount; slot++) {
    void* address = PlatModuleSymbol(SoundDevice.library, name);
    if (address == nullptr) {
      return false;
    }
    SoundDevice.entries.slot[slot] = address;
    SoundDevice.entries.bound = slot + 1;
    name += std::strlen(name) + 1;
    if (*name == '\xFF') {
      break;
    }
  }
  return true;
}

}  // namespace

bool SoundOpen(uint32_t typeTag, uintptr_t window) {
  SoundDevice.library = nullptr;
  SoundDevice.entries.bound = 0;
  SoundDevice.typeTag = typeTag;
  SoundDevice.library = PlatModuleLoad(PlatSoundLibraryName);
  if (SoundDevice.library == nullptr) {
    return RecordSystemError(ErrorSound);
  }
  if (!BindEntries()) {
    return RecordSystemError(ErrorSound);
  }
  if (Entry<InitFn>(SoundSlotInit)(MixingRate, SoftwareChannels, InitFlags) != InitSuccess) {
    return RecordSystemError(ErrorSound);
  }
  Entry<SetHwndFn>(SoundSlotSetHwnd)(reinterpret_cast<void*>(window));
  return true;
}

bool SoundLoadMemory(const void* data, uint32_t length) {
  int slot = SampleFamily() ? SoundSlotLoadMpegMemory : SoundSlotLoadSongMemory;
  if (!Bound(slot)) {
    return RecordSystemError(ErrorSound);
  }
  int size = static_cast<int>(length);
  SoundHandle handle;
  if (SampleFamily()) {
    handle = Entry<LoadMpegMemoryFn>(slot)(AnySlot, data, 0, size);
    SoundDevice.sample = handle;
  } else {
    handle = Entry<LoadSongMemoryFn>(slot)(data, size);
    SoundDevice.song = handle;
  }
  return handle != nullptr ? true : RecordSystemError(ErrorSound);
}

bool SoundLoadFile(const char* fileName) {
  int slot = SampleFamily() ? SoundSlotLoadMpeg : SoundSlotLoadSong;
  if (!Bound(slot)) {
    return RecordSystemError(ErrorSoundFile);
  }
  SoundHandle handle;
  if (SampleFamily()) {
    handle = Entry<LoadMpegFn>(slot)(AnySlot, fileName, 0);
    SoundDevice.sample = handle;
  } else {
    handle = Entry<LoadSongFn>(slot)(fileName);
    SoundDevice.song = handle;
  }
  return handle != nullptr ? true : RecordSystemError(ErrorSoundFile);
}

void SoundPlay() {
  if (SampleFamily()) {
    if (Bound(SoundSlotPlaySound)) {
      SoundDevice.channel = Entry<PlaySoundFn>(SoundSlotPlaySound)(AnySlot, SoundDevice.sample);
    }
  } else if (Bound(SoundSlotPlaySong)) {
    Entry<PlaySongFn>(SoundSlotPlaySong)(SoundDevice.song);
  }
}

void SoundStop() {
  if (SampleFamily()) {
    if (Bound(SoundSlotStopSound)) {
      Entry<StopSoundFn>(SoundSlotStopSound)(SoundDevice.channel);
    }
  } else if (Bound(SoundSlotStopSong)) {
    Entry<StopSongFn>(SoundSlotStopSong)(SoundDevice.song);
  }
}

uint32_t SoundPosition() {
  if (SampleFamily()) {
    if (!Bound(SoundSlotGetCurrentPosition)) {
      return 0;
    }
    return Entry<GetCurrentPositionFn>(SoundSlotGetCurrentPosition)(SoundDevice.channel);
  }
  if (!Bound(SoundSlotGetRow)) {
    return 0;
  }
  auto order = static_cast<uint32_t>(Entry<GetOrderFn>(SoundSlotGetOrder)(SoundDevice.song));
  auto row = static_cast<uint32_t>(Entry<GetRowFn>(SoundSlotGetRow)(SoundDevice.song));
  return (row & ~OrderBits) | ((order << 8) & OrderBits);
}

void SoundClose() {
  SoundStop();
  if (SoundDevice.library == nullptr) {
    return;
  }
  if (Bound(SoundSlotClose)) {
    Entry<CloseFn>(SoundSlotClose)();
  }
  PlatModuleFree(SoundDevice.library);
  // Forgotten, so that a further stop or close cannot reach the freed
  // library or free it twice.
  SoundDevice.library = nullptr;
  SoundDevice.entries.bound = 0;
}
