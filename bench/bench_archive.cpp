// Decoding a coded item the size of the music (about 2 MB of MP3-like
// bytes), against zlib inflating the same bytes deflated Huffman-only: both
// are one Huffman code over byte literals, so the ratio compares decoders.
#include "archive/archive.h"
#include "tools/packlib/packlib.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

constexpr size_t MusicBytes = 2181746;
constexpr size_t FrameBytes = 417;  // 128 kbit/s at 44,100 Hz

// MP3-like content: a frame header every 417 bytes, then side information
// and Huffman-coded spectral data, whose bytes are skewed towards small
// values and 0xFF runs but close to random overall (about 7.6 bits a byte).
const std::vector<uint8_t>& MusicLikeBytes() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(MusicBytes);
    uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&state]() {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      return static_cast<uint32_t>(state >> 24);
    };
    for (size_t i = 0; i < b.size(); i++) {
      const size_t inFrame = i % FrameBytes;
      const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x64};
      if (inFrame < 4) {
        b[i] = header[inFrame];
      } else {
        const uint32_t r = next();
        const uint32_t pick = r & 0xFF;
        if (pick < 40) {
          b[i] = static_cast<uint8_t>((r >> 8) & 0x0F);  // small values
        } else if (pick < 48) {
          b[i] = 0xFF;
        } else {
          b[i] = static_cast<uint8_t>(r >> 8);
        }
      }
    }
    return b;
  }();
  return bytes;
}

const std::vector<uint8_t>& CodedMusic() {
  static const std::vector<uint8_t> coded = [] {
    std::vector<uint8_t> c;
    std::string error;
    PackEncode(MusicLikeBytes(), c, error);
    return c;
  }();
  return coded;
}

// Raw deflate (no header or checksum, so inflate does no more work than we
// do), Huffman-only.
const std::vector<uint8_t>& DeflatedMusic() {
  static const std::vector<uint8_t> deflated = [] {
    const std::vector<uint8_t>& in = MusicLikeBytes();
    z_stream z = {};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_HUFFMAN_ONLY);
    std::vector<uint8_t> out(deflateBound(&z, in.size()));
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
  }();
  return deflated;
}

void BM_DecodeItem(benchmark::State& state) {
  const std::vector<uint8_t>& coded = CodedMusic();
  std::vector<uint8_t> out(MusicBytes);
  for (auto _ : state) {
    const bool ok = ArchiveDecodeMemory(coded.data(), static_cast<uint32_t>(coded.size()), out.data(),
                                        static_cast<uint32_t>(out.size()));
    benchmark::DoNotOptimize(ok);
    benchmark::ClobberMemory();
  }
  if (out != MusicLikeBytes()) {
    state.SkipWithError("decoded bytes differ");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MusicBytes));
  state.counters["stored_bytes"] = static_cast<double>(coded.size());
}

void BM_InflateHuffmanOnly(benchmark::State& state) {
  const std::vector<uint8_t>& deflated = DeflatedMusic();
  std::vector<uint8_t> out(MusicBytes);
  z_stream z = {};
  inflateInit2(&z, -15);
  for (auto _ : state) {
    inflateReset(&z);
    z.next_in = const_cast<Bytef*>(deflated.data());
    z.avail_in = static_cast<uInt>(deflated.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
  }
  inflateEnd(&z);
  if (out != MusicLikeBytes()) {
    state.SkipWithError("inflated bytes differ");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MusicBytes));
  state.counters["stored_bytes"] = static_cast<double>(deflated.size());
}

// The same item read from a program file through the 1,024-byte block
// reader, as the start-up reads the music (file in the page cache).
void BM_ReadCodedItem(benchmark::State& state) {
  char path[] = "/tmp/qzbench_archive_XXXXXX";
  const int fd = mkstemp(path);
  std::vector<uint8_t> file;
  std::string error;
  const bool written = fd >= 0 && PackBuildArchive(std::vector<uint8_t>(4096, 0x90), {PackItem{"music.mp~", CodedMusic()}},
                                                   file, error) &&
                       PackWriteFile(path, file, error);
  if (fd >= 0) {
    close(fd);
  }
  if (!written || !ArchiveOpen(path)) {
    unlink(path);
    state.SkipWithError("cannot make the program file");
    return;
  }
  std::vector<uint8_t> out(MusicBytes);
  for (auto _ : state) {
    const bool ok = ArchiveReadCoded(1, out.data(), static_cast<uint32_t>(out.size()));
    benchmark::DoNotOptimize(ok);
    benchmark::ClobberMemory();
  }
  ArchiveClose();
  unlink(path);
  if (out != MusicLikeBytes()) {
    state.SkipWithError("decoded bytes differ");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MusicBytes));
}

}  // namespace

BENCHMARK(BM_ReadCodedItem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateHuffmanOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeItem)->Unit(benchmark::kMillisecond);
