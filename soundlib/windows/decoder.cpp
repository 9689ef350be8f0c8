// fmod.dll's MPEG decoder on Windows: the Audio Compression Manager's MP3
// codec, the one Windows itself carries, converting MPEG Layer III frames to
// 16-bit PCM. The library ships no decoder of its own.
#include "soundlib/core.h"
#include "soundlib/mp3frames.h"

#include <cstdlib>
#include <cstring>
#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

namespace {

constexpr size_t SourceRoom = 16384;   // compressed bytes handed to one conversion
constexpr WORD CodecDelay = 1393;      // what MP3 codecs expect in nCodecDelay

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
  Mp3FrameHeader first{};
  size_t start = Mp3FindStream(static_cast<const unsigned char*>(data), length, &first);
  if (start == length) {
    return nullptr;
  }
  auto* decoder = static_cast<SoundDecoder*>(std::calloc(1, sizeof(SoundDecoder)));
  if (decoder == nullptr) {
    return nullptr;
  }
  // What follows the run of whole frames (the zeros behind the stream in
  // the program's music buffer) is left out: fed to the codec, it makes the
  // codec lose the frames it still holds.
  decoder->length = Mp3StreamEnd(static_cast<const unsigned char*>(data), length, start) - start;
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
