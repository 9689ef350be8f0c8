// Test music: a stereo sine sweep encoded with libmp3lame (constant bit
// rate, no Info tag, no ID3 tag), and its reference decode with libmpg123
// under the settings the sound library uses (every sample kept, no gapless
// trimming; 16-bit stereo).
#pragma once
#include <lame/lame.h>
#include <mpg123.h>

#include <cmath>
#include <cstdint>
#include <vector>

constexpr int SweepRate = 44100;

inline std::vector<unsigned char> EncodeSweep(double seconds) {
  const int frames = static_cast<int>(seconds * SweepRate);
  std::vector<int16_t> left(frames), right(frames);
  double phase = 0.0;
  for (int i = 0; i < frames; i++) {
    double hz = 220.0 + 1760.0 * i / frames;
    phase += 2.0 * M_PI * hz / SweepRate;
    left[i] = static_cast<int16_t>(9000.0 * std::sin(phase));
    right[i] = static_cast<int16_t>(7000.0 * std::sin(1.5 * phase));
  }
  lame_t encoder = lame_init();
  lame_set_in_samplerate(encoder, SweepRate);
  lame_set_out_samplerate(encoder, SweepRate);
  lame_set_num_channels(encoder, 2);
  lame_set_brate(encoder, 128);
  lame_set_bWriteVbrTag(encoder, 0);
  lame_set_write_id3tag_automatic(encoder, 0);
  lame_init_params(encoder);
  std::vector<unsigned char> mp3(static_cast<size_t>(frames) * 5 / 4 + 14400);
  int n = lame_encode_buffer(encoder, left.data(), right.data(), frames, mp3.data(), static_cast<int>(mp3.size()));
  n += lame_encode_flush(encoder, mp3.data() + n, static_cast<int>(mp3.size()) - n);
  lame_close(encoder);
  mp3.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return mp3;
}

// Interleaved left/right samples of the whole stream.
inline std::vector<int16_t> ReferenceDecode(const std::vector<unsigned char>& mp3) {
  std::vector<int16_t> pcm;
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  mpg123_param(decoder, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(decoder);
  mpg123_format(decoder, SweepRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  mpg123_open_feed(decoder);
  mpg123_feed(decoder, mp3.data(), mp3.size());
  int16_t block[8192];
  for (;;) {
    size_t bytes = 0;
    int rc = mpg123_read(decoder, block, sizeof block, &bytes);
    pcm.insert(pcm.end(), block, block + bytes / sizeof(int16_t));
    if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
      break;
    }
  }
  mpg123_delete(decoder);
  return pcm;
}
