// fmod.dll's MPEG decoder on Windows: the Audio Compression Manager's MP3
// codec, the one Windows itself carries, converting MPEG Layer III frames to
// 16-bit PCM. The library ships no decoder of its own.
#include "soundlib/core.h"

#include <cstdlib>
#include <cstring>
#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

namespace {

constexpr size_t SourceRoom = 16384;   // compressed bytes handed to one conversion
constexpr size_t SearchRoom = 65536;   // a stream must begin this close to the start
constexpr int FramesInARow = 3;        // frame headers that must follow each other
constexpr WORD CodecDelay = 1393;      // what MP3 codecs expect in nCodecDelay

// What one frame header says.
struct FrameHeader {
  int version;      // 1, 2 or 25 (MPEG 2.5)
  int rate;         // samples per second
  int channels;     // 1 or 2
  int kilobits;     // bit rate, kbit/s
  size_t length;    // bytes, header included
  size_t unpadded;  // bytes without the padding slot: the codec's block size
};

constexpr int Layer3Kilobits[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG 1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG 2 and 2.5
};
constexpr int Rates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// Reads a Layer III frame header at `at`; false for anything else.
bool ReadHeader(const unsigned char* at, size_t left, FrameHeader* header) {
  if (left < 4 || at[0] != 0xFF || (at[1] & 0xE0) != 0xE0) {
    return false;
  }
  int versionBits = (at[1] >> 3) & 3;
  int layerBits = (at[1] >> 1) & 3;
  int bitrateIndex = at[2] >> 4;
  int rateIndex = (at[2] >> 2) & 3;
  int padding = (at[2] >> 1) & 1;
  if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
    return false;
  }
  int family = versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2;
  header->version = family == 0 ? 1 : family == 1 ? 2 : 25;
  header->rate = Rates[family][rateIndex];
  header->channels = (at[3] >> 6) == 3 ? 1 : 2;
  header->kilobits = Layer3Kilobits[family == 0 ? 0 : 1][bitrateIndex];
  size_t perFrame = family == 0 ? 144000 : 72000;
  header->unpadded = perFrame * static_cast<size_t>(header->kilobits) / static_cast<size_t>(header->rate);
  header->length = header->unpadded + static_cast<size_t>(padding);
  return true;
}

// The offset of the first frame that the next few frames follow in the same
// format, or `length` when there is none near the start.
size_t FindStream(const unsigned char* data, size_t length, FrameHeader* first) {
  size_t limit = length < SearchRoom ? length : SearchRoom;
  for (size_t start = 0; start < limit; start++) {
    if (!ReadHeader(data + start, length - start, first)) {
      continue;
    }
    size_t at = start;
    FrameHeader next = *first;
    int found = 1;
    while (found < FramesInARow) {
      at += next.length;
      if (at >= length || !ReadHeader(data + at, length - at, &next) || next.version != first->version ||
          next.rate != first->rate) {
        break;
      }
      found++;
    }
    if (found == FramesInARow) {
      return start;
    }
  }
  return length;
}

// Where the run of whole frames that begins at `start` ends. What follows
// (the zeros behind the stream in the program's music buffer) is left out:
// fed to the codec, it makes the codec lose the frames it still holds.
size_t StreamEnd(const unsigned char* data, size_t length, size_t start) {
  size_t at = start;
  FrameHeader header{};
  while (at < length && ReadHeader(data + at, length - at, &header) && header.length <= length - at) {
    at += header.length;
  }
  return at;
}

}  // namespace

// One conversion stream over a copy of the compressed data.
struct SoundDecoder {
  unsigned char* data;      // the copy
  size_t length;
  size_t consumed;          // bytes the codec has taken
  int rate;
  int channels;             // of the codec's PCM: 1 is spread to both sides
  HACMSTREAM stream;
  ACMSTREAMHEADER header;   // prepared once over `source` and `pcm`
  unsigned char source[SourceRoom];
  int16_t* pcm;             // the codec's output
  size_t pcmRoom;           // bytes
  uint32_t pcmFrames;       // frames in `pcm` from the last conversion
  uint32_t pcmAt;           // frames of those already handed out
  bool started;             // the first conversion was made
  bool flushed;             // the closing conversion was made: nothing more comes
};

SoundDecoder* SoundDecoderOpen(const void* data, size_t length) {
  FrameHeader first{};
  size_t start = FindStream(static_cast<const unsigned char*>(data), length, &first);
  if (start == length) {
    return nullptr;
  }
  auto* decoder = static_cast<SoundDecoder*>(std::calloc(1, sizeof(SoundDecoder)));
  if (decoder == nullptr) {
    return nullptr;
  }
  decoder->length = StreamEnd(static_cast<const unsigned char*>(data), length, start) - start;
  decoder->data = static_cast<unsigned char*>(std::malloc(decoder->length));
  if (decoder->data == nullptr) {
    std::free(decoder);
    return nullptr;
  }
  std::memcpy(decoder->data, static_cast<const unsigned char*>(data) + start, decoder->length);
  decoder->rate = first.rate;
  decoder->channels = first.channels;

  MPEGLAYER3WAVEFORMAT mp3{};
  mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  mp3.wfx.nChannels = static_cast<WORD>(first.channels);
  mp3.wfx.nSamplesPerSec = static_cast<DWORD>(first.rate);
  mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.kilobits) * 1000 / 8;
  mp3.wfx.nBlockAlign = 1;
  mp3.wfx.wBitsPerSample = 0;
  mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  mp3.wID = MPEGLAYER3_ID_MPEG;
  mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  mp3.nBlockSize = static_cast<WORD>(first.unpadded);
  mp3.nFramesPerBlock = 1;
  mp3.nCodecDelay = CodecDelay;

  WAVEFORMATEX pcm{};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  pcm.nChannels = static_cast<WORD>(first.channels);
  pcm.nSamplesPerSec = static_cast<DWORD>(first.rate);
  pcm.wBitsPerSample = 16;
  pcm.nBlockAlign = static_cast<WORD>(pcm.nChannels * 2);
  pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;

  DWORD pcmRoom = 0;
  bool ready = acmStreamOpen(&decoder->stream, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, 0) == MMSYSERR_NOERROR;
  ready = ready && acmStreamSize(decoder->stream, SourceRoom, &pcmRoom, ACM_STREAMSIZEF_SOURCE) == MMSYSERR_NOERROR;
  if (ready) {
    decoder->pcmRoom = pcmRoom;
    decoder->pcm = static_cast<int16_t*>(std::malloc(pcmRoom));
    ready = decoder->pcm != nullptr;
  }
  if (ready) {
    decoder->header.cbStruct = sizeof decoder->header;
    decoder->header.pbSrc = decoder->source;
    decoder->header.cbSrcLength = SourceRoom;
    decoder->header.pbDst = reinterpret_cast<LPBYTE>(decoder->pcm);
    decoder->header.cbDstLength = static_cast<DWORD>(pcmRoom);
    ready = acmStreamPrepareHeader(decoder->stream, &decoder->header, 0) == MMSYSERR_NOERROR;
    if (!ready) {
      decoder->header.cbStruct = 0;
    }
  }
  if (!ready) {
    SoundDecoderClose(decoder);
    return nullptr;
  }
  return decoder;
}

// One conversion: the next stretch of compressed bytes, or the closing one
// that hands out what the codec still holds. False once nothing more comes.
static bool Convert(SoundDecoder* d) {
  if (d->flushed) {
    return false;
  }
  size_t left = d->length - d->consumed;
  size_t take = left < SourceRoom ? left : SourceRoom;
  std::memcpy(d->source, d->data + d->consumed, take);
  DWORD flags = d->started ? 0 : ACM_STREAMCONVERTF_START;
  if (take == 0) {
    flags |= ACM_STREAMCONVERTF_END;
    d->flushed = true;
  }
  d->started = true;
  d->header.cbSrcLength = static_cast<DWORD>(take);
  d->header.cbSrcLengthUsed = 0;
  d->header.cbDstLengthUsed = 0;
  if (acmStreamConvert(d->stream, &d->header, flags) != MMSYSERR_NOERROR) {
    d->flushed = true;
    return false;
  }
  size_t used = d->header.cbSrcLengthUsed <= take ? d->header.cbSrcLengthUsed : take;
  d->consumed += used;
  d->pcmFrames = d->header.cbDstLengthUsed / (2 * static_cast<DWORD>(d->channels));
  d->pcmAt = 0;
  if (used == 0 && d->pcmFrames == 0 && take > 0) {
    // The codec takes nothing more: what is left is no stream.
    d->consumed = d->length;
  }
  return true;
}

uint32_t SoundDecoderRead(SoundDecoder* decoder, SoundFrame* out, uint32_t room, bool* ended) {
  *ended = false;
  while (decoder->pcmAt >= decoder->pcmFrames) {
    if (!Convert(decoder)) {
      *ended = true;
      return 0;
    }
  }
  uint32_t count = decoder->pcmFrames - decoder->pcmAt;
  count = count < room ? count : room;
  const int16_t* from = decoder->pcm + static_cast<size_t>(decoder->pcmAt) * decoder->channels;
  for (uint32_t i = 0; i < count; i++) {
    out[i].left = from[0];
    out[i].right = from[decoder->channels - 1];
    from += decoder->channels;
  }
  decoder->pcmAt += count;
  return count;
}

int SoundDecoderRate(const SoundDecoder* decoder) { return decoder->rate; }

void SoundDecoderClose(SoundDecoder* decoder) {
  if (decoder == nullptr) {
    return;
  }
  if (decoder->header.cbStruct != 0) {
    // Unprepared with the sizes it was prepared with.
    decoder->header.cbSrcLength = SourceRoom;
    acmStreamUnprepareHeader(decoder->stream, &decoder->header, 0);
  }
  if (decoder->stream != nullptr) {
    acmStreamClose(decoder->stream, 0);
  }
  std::free(decoder->pcm);
  std::free(decoder->data);
  std::free(decoder);
}
