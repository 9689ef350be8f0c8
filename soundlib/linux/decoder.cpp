// fmod.dll's MPEG decoder on Linux: libmpg123 in feed mode over a copy of
// the data.
#include "soundlib/core.h"

#include <mpg123.h>

#include <cstdlib>

struct SoundDecoder {
  mpg123_handle* handle;
  int rate;  // of the first format the stream announced; 0 until then
};

SoundDecoder* SoundDecoderOpen(const void* data, size_t length) {
  auto* decoder = static_cast<SoundDecoder*>(std::calloc(1, sizeof(SoundDecoder)));
  if (decoder == nullptr) {
    return nullptr;
  }
  decoder->handle = mpg123_new(nullptr, nullptr);
  if (decoder->handle == nullptr) {
    std::free(decoder);
    return nullptr;
  }
  // Every decoded sample counts, encoder and decoder delay included: no
  // gapless trimming.
  mpg123_param(decoder->handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_param(decoder->handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  mpg123_format_none(decoder->handle);
  for (size_t i = 0; i < rateCount; i++) {
    mpg123_format(decoder->handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  // The feed copies the data.
  if (mpg123_open_feed(decoder->handle) != MPG123_OK ||
      mpg123_feed(decoder->handle, static_cast<const unsigned char*>(data), length) != MPG123_OK) {
    SoundDecoderClose(decoder);
    return nullptr;
  }
  return decoder;
}

uint32_t SoundDecoderRead(SoundDecoder* decoder, SoundFrame* out, uint32_t room, bool* ended) {
  *ended = false;
  for (;;) {
    size_t bytes = 0;
    int rc = mpg123_read(decoder->handle, out, room * sizeof(SoundFrame), &bytes);
    auto got = static_cast<uint32_t>(bytes / sizeof(SoundFrame));
    if (rc == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(decoder->handle, &rate, &channels, &encoding);
      if (decoder->rate == 0) {
        decoder->rate = static_cast<int>(rate);
      }
      if (got == 0) {
        continue;
      }
      return got;
    }
    // MPG123_NEED_MORE: all data used. MPG123_ERR: after the last frame,
    // zero bytes behind the stream end in a failed resync. Both end it.
    *ended = rc != MPG123_OK;
    return got;
  }
}

int SoundDecoderRate(const SoundDecoder* decoder) { return decoder->rate; }

void SoundDecoderClose(SoundDecoder* decoder) {
  if (decoder == nullptr) {
    return;
  }
  if (decoder->handle != nullptr) {
    mpg123_delete(decoder->handle);
  }
  std::free(decoder);
}
