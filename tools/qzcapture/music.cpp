// Decoding the music with libmpg123 into a 16-bit stereo WAV file.
#include "tools/qzcapture/music.h"

#include <mpg123.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int Channels = 2;
constexpr int BytesPerFrame = Channels * 2;   // one stereo frame of 16-bit samples
constexpr size_t ChunkBytes = 1 << 16;

void PutWord(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int b = 0; b < bytes; b++) {
    out.push_back(static_cast<uint8_t>(value >> (8 * b)));
  }
}

std::vector<uint8_t> WavHeader(uint32_t rate, uint64_t frames) {
  uint32_t dataBytes = static_cast<uint32_t>(frames * BytesPerFrame);
  std::vector<uint8_t> h;
  for (char c : std::string("RIFF")) h.push_back(static_cast<uint8_t>(c));
  PutWord(h, 36 + dataBytes, 4);
  for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<uint8_t>(c));
  PutWord(h, 16, 4);                       // format record length
  PutWord(h, 1, 2);                        // PCM
  PutWord(h, Channels, 2);
  PutWord(h, rate, 4);
  PutWord(h, rate * BytesPerFrame, 4);     // bytes per second
  PutWord(h, BytesPerFrame, 2);
  PutWord(h, 16, 2);                       // bits per sample
  for (char c : std::string("data")) h.push_back(static_cast<uint8_t>(c));
  PutWord(h, dataBytes, 4);
  return h;
}

// libmpg123's plain C synthesis. Left to itself the library picks the
// fastest routine the processor offers, and those round differently, so the
// sound track (and the video file's bytes) would follow the processor.
constexpr char PortableDecoder[] = "generic";

// A decoder set up as the sound library sets up its own: no gapless
// trimming, 16-bit stereo at the stream's own rate, fed from memory.
mpg123_handle* OpenDecoder(const uint8_t* mp3, uint32_t length) {
  mpg123_handle* decoder = mpg123_new(PortableDecoder, nullptr);
  if (decoder == nullptr) {
    // A library built without it still decodes, only less portably.
    decoder = mpg123_new(nullptr, nullptr);
  }
  if (decoder == nullptr) {
    return nullptr;
  }
  mpg123_param(decoder, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  mpg123_format_none(decoder);
  for (size_t i = 0; i < rateCount; i++) {
    mpg123_format(decoder, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  if (mpg123_open_feed(decoder) != MPG123_OK || mpg123_feed(decoder, mp3, length) != MPG123_OK) {
    mpg123_delete(decoder);
    return nullptr;
  }
  return decoder;
}

}  // namespace

bool WriteMusicTrack(const uint8_t* mp3, uint32_t length, uint64_t start, uint64_t durationUnits,
                     uint64_t unitsPerSecond, const std::string& wavPath, std::string& error) {
#if MPG123_API_VERSION < 46
  mpg123_init();
#endif
  mpg123_handle* decoder = OpenDecoder(mp3, length);
  if (decoder == nullptr) {
    error = "the music cannot be decoded";
    return false;
  }
  // Decode everything first: the rate is known only after the first frame.
  std::vector<uint8_t> pcm;
  std::vector<uint8_t> chunk(ChunkBytes);
  long rate = 0;
  for (;;) {
    size_t got = 0;
    int status = mpg123_read(decoder, chunk.data(), chunk.size(), &got);
    pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + static_cast<long>(got));
    if (status == MPG123_NEW_FORMAT) {
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(decoder, &rate, &channels, &encoding);
      continue;
    }
    if (status != MPG123_OK) {
      break;
    }
  }
  mpg123_delete(decoder);
  if (rate <= 0 || pcm.empty()) {
    error = "the music holds no MPEG audio";
    return false;
  }
  auto r = static_cast<uint64_t>(rate);
  uint64_t lead = start / unitsPerSecond * r + start % unitsPerSecond * r / unitsPerSecond;
  uint64_t total = durationUnits / unitsPerSecond * r + durationUnits % unitsPerSecond * r / unitsPerSecond;
  uint64_t musicFrames = pcm.size() / BytesPerFrame;

  std::FILE* out = std::fopen(wavPath.c_str(), "wb");
  if (out == nullptr) {
    error = "cannot write " + wavPath;
    return false;
  }
  std::vector<uint8_t> header = WavHeader(static_cast<uint32_t>(r), total);
  bool ok = std::fwrite(header.data(), 1, header.size(), out) == header.size();
  std::vector<uint8_t> silence(ChunkBytes, 0);
  uint64_t written = 0;
  auto put = [&](const uint8_t* bytes, uint64_t frames) {
    while (ok && frames > 0) {
      uint64_t n = std::min<uint64_t>(frames, ChunkBytes / BytesPerFrame);
      ok = std::fwrite(bytes, BytesPerFrame, n, out) == n;
      written += n;
      frames -= n;
      if (bytes != silence.data()) {
        bytes += n * BytesPerFrame;
      }
    }
  };
  put(silence.data(), std::min(lead, total));
  if (lead < total) {
    put(pcm.data(), std::min(musicFrames, total - lead));
  }
  put(silence.data(), total - written);
  ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    error = "cannot write " + wavPath;
  }
  return ok;
}
