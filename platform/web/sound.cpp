// The sound library on the page, served built in under the name "fmod.dll"
// with the fifteen entry points the sound binding looks up. The music plays
// through the page's audio (library.js decodes the MP3 with the browser's
// own decoder); the position is the music's samples since play began, taken
// from the audio clock. Where the page has no audio at all, the position
// follows the clock silently from the play. Only MPEG samples are served:
// the module family's entry points exist and refuse every song.
#include "base/sound_entries.h"
#include "platform/common/builtin_sound.h"
#include "platform/web/web.h"

namespace {

constexpr int InitSuccess = 1;
constexpr int PlayChannel = 1;   // the channel every play reports
constexpr int NoChannel = -1;
constexpr double MusicSampleRate = 44100;   // positions per second of the music
constexpr double MillisecondsPerSecond = 1000;

// The library's state. Main thread only.
bool Audio = false;          // the page's audio plays the music
bool Loaded = false;         // a sample was accepted
bool Playing = false;        // between a play and a stop
double PlayedAt = 0;         // page clock at the play, for the silent position
uint32_t LastPosition = 0;   // positions reported never go back
char Sample = 0;             // its address is the sample handle

using namespace CommonSoundUnused;

int Init(int mixRate, int channels, unsigned flags) {
  Audio = qz_web_audio_open() != 0;
  return InitSuccess;
}

void Close() {
  if (Audio) {
    qz_web_audio_close();
  }
  Playing = false;
  Audio = false;
}

// Browsers start sound only after a gesture of the viewer, so the page holds
// the load until the first click or key, decoding meanwhile. A page without
// audio waits for the gesture too, and then takes the music unheard.
void* LoadMpegMemory(int index, const void* data, unsigned mode, int length) {
  if (data == nullptr || length <= 0) {
    return nullptr;
  }
  int result = qz_web_audio_load(static_cast<const uint8_t*>(data), length);
  // The ticks that fell due during the wait run now, before any scene
  // arms a slot, so the first scene starts on a clock that is up to date.
  WebRunDueTicks();
  if (result < 0) {
    return nullptr;
  }
  Audio = Audio && result > 0;
  Loaded = true;
  return &Sample;
}

int PlaySound(int channel, void* sample) {
  if (sample != &Sample || !Loaded) {
    return NoChannel;
  }
  if (Audio) {
    qz_web_audio_play();
  }
  Playing = true;
  PlayedAt = WebNowMilliseconds();
  LastPosition = 0;
  return PlayChannel;
}

unsigned GetCurrentPosition(int channel) {
  if (!Playing || channel != PlayChannel) {
    return 0;
  }
  double seconds = Audio ? qz_web_audio_seconds() : (WebNowMilliseconds() - PlayedAt) / MillisecondsPerSecond;
  double samples = seconds * MusicSampleRate;
  uint32_t position = samples <= 0 ? 0 : samples >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(samples);
  if (position > LastPosition) {
    LastPosition = position;
  }
  qz_web_music_position(LastPosition, Audio ? 1 : 0);
  return LastPosition;
}

int StopSound(int channel) {
  if (channel == PlayChannel && Playing) {
    if (Audio) {
      qz_web_audio_stop();
    }
    Playing = false;
  }
  return 1;
}

const CommonExport Exports[] = {QZ_SOUND_ENTRIES(QZ_COMMON_SOUND_EXPORT)};
constexpr size_t ExportCount = sizeof Exports / sizeof Exports[0];

}  // namespace

void* WebSoundSymbol(const char* plainName) { return CommonFindExport(Exports, ExportCount, plainName); }
