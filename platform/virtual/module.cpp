// Libraries on the virtual platform: only the sound library is offered, as
// a built-in stand-in that plays nothing. It takes the music it is handed,
// notes when playback starts, and reports as the position the samples that
// would have played since then at 44,100 per second on the virtual clock.
// The full-screen display service is not offered, so only a window on the
// desktop can be opened.
#include "platform/plat_module.h"

#include "base/sound_entries.h"
#include "platform/common/builtin_sound.h"
#include "platform/common/symbol_name.h"
#include "platform/virtual/virtual.h"

#include <cstring>

namespace {

constexpr size_t NameRoom = 64;
constexpr int InitSuccess = 1;
constexpr int PlayChannel = 1;        // the channel every play reports
constexpr int NoChannel = -1;
constexpr uint64_t MillisecondsPerSecond = 1000;

// The stand-in library's state. Main thread only.
bool Loaded = false;                    // "fmod.dll" loaded and not freed
const uint8_t* MusicData = nullptr;     // what the memory load was handed
uint32_t MusicLength = 0;
bool Playing = false;                   // between a play and a stop
bool Played = false;                    // a play has happened
uint64_t PlayedAt = 0;                  // clock units at the last play
char Sample = 0;                        // its address is the sample handle

// --- the fifteen entry points ---------------------------------------------

using namespace CommonSoundUnused;

int Init(int mixRate, int channels, unsigned flags) { return InitSuccess; }
void Close() { Playing = false; }

void* LoadMpegMemory(int index, const void* data, unsigned mode, int length) {
  if (data == nullptr || length <= 0) {
    return nullptr;
  }
  MusicData = static_cast<const uint8_t*>(data);
  MusicLength = static_cast<uint32_t>(length);
  return &Sample;
}

int PlaySound(int channel, void* sample) {
  if (sample != &Sample) {
    return NoChannel;
  }
  Playing = true;
  Played = true;
  PlayedAt = VirtualNow();
  return PlayChannel;
}

unsigned GetCurrentPosition(int channel) {
  if (!Playing || channel != PlayChannel) {
    return 0;
  }
  uint64_t units = VirtualNow() - PlayedAt;
  uint64_t unitsPerSecond = MillisecondsPerSecond * VirtualFrameRate();
  return static_cast<unsigned>(units / unitsPerSecond * VirtualSampleRate +
                               units % unitsPerSecond * VirtualSampleRate / unitsPerSecond);
}

int StopSound(int channel) {
  if (channel == PlayChannel) {
    Playing = false;
  }
  return 1;
}

const CommonExport Exports[] = {QZ_SOUND_ENTRIES(QZ_COMMON_SOUND_EXPORT)};
constexpr size_t ExportCount = sizeof Exports / sizeof Exports[0];

}  // namespace

VirtualMusic VirtualMusicState() { return VirtualMusic{MusicData, MusicLength, Played, PlayedAt}; }

PlatModule PlatModuleLoad(const char* name) {
  if (name == nullptr || std::strcmp(name, PlatSoundLibraryName) != 0) {
    return nullptr;
  }
  Loaded = true;
  return &Loaded;
}

void* PlatModuleSymbol(PlatModule module, const char* name) {
  char plain[NameRoom];
  if (module != &Loaded || !Loaded || name == nullptr || !CommonPlainSymbolName(name, plain, sizeof plain)) {
    return nullptr;
  }
  return CommonFindExport(Exports, ExportCount, plain);
}

void PlatModuleFree(PlatModule module) {
  if (module == &Loaded) {
    Loaded = false;
  }
}
