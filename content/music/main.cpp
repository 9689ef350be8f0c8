// Renders the presentation's music and encodes it as the archive's MP3
// item: MPEG-1 Layer III, 44,100 Hz, 128 kbit/s constant, joint stereo,
// no Xing/LAME/Info frame and no ID3 tag.
// Usage: qz_compose OUT.mp3 [OUT.wav]
#include <lame/lame.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "content/lib/le_bytes.h"
#include "content/music/score.h"
#include "content/music/synth.h"

namespace {

// The exact size of the 5,220-frame stream the player's buffers are made for.
constexpr size_t Mp3Bytes = 2181746;
constexpr int BitRate = 128;
// The echo repeats on the dotted eighth.
constexpr int64_t EchoDelay = 3 * music::StepSamples;

bool Encode(const std::vector<int16_t>& left, const std::vector<int16_t>& right, std::vector<unsigned char>& out) {
  lame_global_flags* gf = lame_init();
  if (gf == nullptr) {
    return false;
  }
  lame_set_num_channels(gf, 2);
  lame_set_in_samplerate(gf, music::SampleRate);
  lame_set_out_samplerate(gf, music::SampleRate);
  lame_set_brate(gf, BitRate);
  lame_set_VBR(gf, vbr_off);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_quality(gf, 2);
  // The player reads the stream as it is: no tag frame, no ID3.
  lame_set_bWriteVbrTag(gf, 0);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    return false;
  }
  const size_t chunk = 1152 * 16;
  std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
  for (size_t at = 0; at < left.size(); at += chunk) {
    int n = int(std::min(chunk, left.size() - at));
    int got = lame_encode_buffer(gf, left.data() + at, right.data() + at, n, buffer.data(), int(buffer.size()));
    if (got < 0) {
      lame_close(gf);
      return false;
    }
    out.insert(out.end(), buffer.begin(), buffer.begin() + got);
  }
  int got = lame_encode_flush(gf, buffer.data(), int(buffer.size()));
  lame_close(gf);
  if (got < 0) {
    return false;
  }
  out.insert(out.end(), buffer.begin(), buffer.begin() + got);
  return true;
}

bool WriteWav(const char* path, const std::vector<int16_t>& left, const std::vector<int16_t>& right) {
  std::vector<uint8_t> w;
  uint32_t data = uint32_t(left.size() * 4);
  w.insert(w.end(), {'R', 'I', 'F', 'F'});
  BytesPut32(w, 36 + data);
  w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  BytesPut32(w, 16);
  BytesPut16(w, 1);
  BytesPut16(w, 2);
  BytesPut32(w, music::SampleRate);
  BytesPut32(w, music::SampleRate * 4);
  BytesPut16(w, 4);
  BytesPut16(w, 16);
  w.insert(w.end(), {'d', 'a', 't', 'a'});
  BytesPut32(w, data);
  for (size_t i = 0; i < left.size(); ++i) {
    BytesPut16(w, uint16_t(left[i]));
    BytesPut16(w, uint16_t(right[i]));
  }
  FILE* f = std::fopen(path, "wb");
  bool ok = f != nullptr && std::fwrite(w.data(), 1, w.size(), f) == w.size();
  ok = f != nullptr && std::fclose(f) == 0 && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: qz_compose OUT.mp3 [OUT.wav]\n");
    return 1;
  }
  music::Buses buses(size_t(music::TotalSamples));
  music::Compose(buses);
  music::Mixdown(buses, EchoDelay, 0.89);
  // The last moments fade to silence so the stream ends cleanly.
  const size_t fade = music::SampleRate * 2;
  size_t n = size_t(music::TotalSamples);
  for (size_t i = n - fade; i < n; ++i) {
    double k = double(n - i) / double(fade);
    buses.dry.left[i] *= k * k;
    buses.dry.right[i] *= k * k;
  }
  std::vector<int16_t> left = music::ToPcm(buses.dry, true);
  std::vector<int16_t> right = music::ToPcm(buses.dry, false);
  if (argc == 3 && !WriteWav(argv[2], left, right)) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  std::vector<unsigned char> mp3;
  if (!Encode(left, right, mp3)) {
    std::fprintf(stderr, "the MP3 encoder failed\n");
    return 1;
  }
  if (mp3.size() != Mp3Bytes) {
    std::fprintf(stderr, "the MP3 stream is %zu bytes, not %zu\n", mp3.size(), Mp3Bytes);
    return 1;
  }
  FILE* f = std::fopen(argv[1], "wb");
  bool ok = f != nullptr && std::fwrite(mp3.data(), 1, mp3.size(), f) == mp3.size();
  ok = f != nullptr && std::fclose(f) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
