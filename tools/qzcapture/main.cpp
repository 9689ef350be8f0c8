// qzcapture: renders the whole presentation of a program file to a video
// file, on a virtual clock, faster than real time and the same on every run.
#include "base/version.h"
#include "content/lib/pngwrite.h"
#include "tools/qzcapture/encode.h"
#include "tools/qzcapture/frame_hash.h"
#include "tools/qzcapture/music.h"
#include "tools/qzcapture/outputs.h"
#include "tools/qzcapture/render.h"

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char DefaultProgram[] = "build/dist/QZ_Quillwave2k.exe";
constexpr uint32_t DefaultFps = 60;
constexpr uint32_t DefaultScale = 3;
constexpr uint32_t MaxFps = 1000;
constexpr uint32_t MaxScale = 16;
constexpr int BarWidth = 30;
constexpr double ProgressSeconds = 0.25;   // between progress lines

const char Usage[] =
    "usage: qzcapture --out FILE.mp4 [--program FILE] [--fps N] [--scale N]\n"
    "                 [--lossless] [--png DIR --every N] [--hashes FILE]\n"
    "Renders the whole presentation of a program file to an H.264 video with\n"
    "the music as its sound track.\n"
    "  --out FILE     the video file (needs the ffmpeg program)\n"
    "  --program FILE the program file (default build/dist/QZ_Quillwave2k.exe)\n"
    "  --fps N        frames per second (default 60)\n"
    "  --scale N      whole enlargement factor, nearest neighbour (default 3,\n"
    "                 1 with --lossless)\n"
    "  --lossless     code the frames without loss (H.264 in RGB at quantiser\n"
    "                 0): every decoded frame is the rendered frame\n"
    "  --png DIR      also every Nth frame as DIR/frame_NNNNNN.png\n"
    "  --every N      with --png: every Nth frame (default 1)\n"
    "  --hashes FILE  one line per frame, 'index hash' (64-bit FNV-1a of the\n"
    "                 320x240 frame), then 'music-frame N' and 'frames N';\n"
    "                 without --out, no video is made\n";

struct Options {
  std::string out;
  std::string program = DefaultProgram;
  uint32_t fps = DefaultFps;
  uint32_t scale = DefaultScale;
  bool scaleGiven = false;
  bool lossless = false;
  std::string pngDir;
  uint32_t every = 1;
  bool everyGiven = false;
  std::string hashes;
};

// Everything the frame sink writes to.
struct Capture {
  const Options* options;
  VideoEncoder encoder;
  std::FILE* hashes = nullptr;   // the hash list under its temporary name
  std::string error;             // the first write that failed
  uint64_t expected = 0;
  std::chrono::steady_clock::time_point started;
  double lastReport = -1;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "qzcapture: %s\n", message.c_str());
  return 1;
}

bool ParseNumber(const char* text, uint32_t low, uint32_t high, uint32_t& value) {
  if (text == nullptr || *text < '0' || *text > '9') {
    return false;
  }
  char* end = nullptr;
  errno = 0;
  unsigned long long v = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) {
    return false;
  }
  value = static_cast<uint32_t>(v);
  return true;
}

// False, with `error` set, for anything but the options above.
bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
  for (int i = 1; i < argc; i++) {
    std::string name = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool numberOk = true;
    if (name == "--lossless") {
      o.lossless = true;
      continue;   // takes no value
    }
    if (name == "--out" || name == "--program" || name == "--png" || name == "--hashes") {
      if (value == nullptr || *value == '\0') {
        error = name + " needs a file name";
        return false;
      }
      (name == "--out" ? o.out : name == "--program" ? o.program : name == "--png" ? o.pngDir : o.hashes) = value;
    } else if (name == "--fps") {
      numberOk = ParseNumber(value, 1, MaxFps, o.fps);
    } else if (name == "--scale") {
      numberOk = ParseNumber(value, 1, MaxScale, o.scale);
      o.scaleGiven = true;
    } else if (name == "--every") {
      numberOk = ParseNumber(value, 1, UINT32_MAX, o.every);
      o.everyGiven = true;
    } else {
      error = "unknown option '" + name + "'";
      return false;
    }
    if (!numberOk) {
      error = name + " needs a whole number" +
              (name == "--fps" ? " from 1 to 1000" : name == "--scale" ? " from 1 to 16" : " of 1 or more");
      return false;
    }
    i++;
  }
  if (o.out.empty() && o.hashes.empty()) {
    error = "--out is required";
    return false;
  }
  if (o.lossless && o.out.empty()) {
    error = "--lossless needs --out";
    return false;
  }
  // A lossless file is for keeping and editing: the frames as rendered.
  // Enlarged, it grows and codes slower than real time.
  if (o.lossless && !o.scaleGiven) {
    o.scale = 1;
  }
  if (o.everyGiven && o.pngDir.empty()) {
    error = "--every needs --png";
    return false;
  }
  return true;
}

double Since(const Capture& c) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - c.started).count();
}

void ReportProgress(Capture& c, uint64_t done, bool last) {
  double wall = Since(c);
  if (!last && wall - c.lastReport < ProgressSeconds) {
    return;
  }
  c.lastReport = wall;
  uint64_t expected = done > c.expected ? done : c.expected;
  int filled = static_cast<int>(done * BarWidth / expected);
  char bar[BarWidth + 1];
  for (int i = 0; i < BarWidth; i++) {
    bar[i] = i < filled ? '#' : '-';
  }
  bar[BarWidth] = '\0';
  double speed = wall > 0 ? static_cast<double>(done) / c.options->fps / wall : 0;
  std::fprintf(stderr, "\r[%s] %6" PRIu64 "/%" PRIu64 " frames %3d%%  %5.1fx real time%s", bar, done, expected,
               static_cast<int>(done * 100 / expected), speed, last ? "\n" : "");
  std::fflush(stderr);
}

// A frame enlarged for a PNG file: each pixel `scale` times across and down.
struct ScaledFrame {
  const uint32_t* frame;  // 0x00RRGGBB, FrameWidth x FrameHeight
  uint32_t scale;
};

void ScaledRow(uint32_t y, png_byte* row, const void* context) {
  const auto& f = *static_cast<const ScaledFrame*>(context);
  const uint32_t* source = f.frame + static_cast<size_t>(y / f.scale) * FrameWidth;
  for (uint32_t x = 0; x < FrameWidth * f.scale; x++) {
    uint32_t v = source[x / f.scale];
    row[3 * x] = static_cast<png_byte>(v >> 16);
    row[3 * x + 1] = static_cast<png_byte>(v >> 8);
    row[3 * x + 2] = static_cast<png_byte>(v);
  }
}

// A frame as DIR/frame_NNNNNN.png, written under a temporary name and
// renamed, so that a frame file is always whole.
bool WriteFramePng(const Options& o, const uint32_t* frame, uint64_t index, std::string& error) {
  char name[40];
  std::snprintf(name, sizeof name, "/frame_%06" PRIu64 ".png", index);
  std::string path = o.pngDir + name;
  std::string part = o.pngDir + "/.partial_" + (name + 7);  // past "/frame_"
  ScaledFrame scaled{frame, o.scale};
  content::PngFormat format{FrameWidth * o.scale, FrameHeight * o.scale, nullptr, -1};
  if (!content::WritePng(part, format, ScaledRow, &scaled, error) || !PutInPlace(part, path, error)) {
    unlink(part.c_str());
    return false;
  }
  return true;
}

// Stops the render at the first output that fails or at an interrupt.
bool TakeFrame(const uint32_t* frame, uint64_t index, void* context) {
  auto& c = *static_cast<Capture*>(context);
  const Options& o = *c.options;
  if (Interrupted()) {
    c.error = "interrupted";
    return false;
  }
  if (c.hashes != nullptr) {
    if (std::fprintf(c.hashes, "%" PRIu64 " %016" PRIx64 "\n", index, CaptureFrameHash(frame)) < 0 ||
        std::ferror(c.hashes)) {
      c.error = "cannot write " + o.hashes + ": " + std::strerror(errno);
      return false;
    }
  }
  if (c.encoder.pid > 0 && !EncodeFrame(c.encoder, frame, FrameWidth * FrameHeight)) {
    // ffmpeg has gone: its exit status and reason say why.
    if (FinishVideoEncoder(c.encoder, c.error)) {
      c.error = "ffmpeg stopped taking frames";
    }
    return false;
  }
  if (!o.pngDir.empty() && index % o.every == 0 && !WriteFramePng(o, frame, index, c.error)) {
    return false;
  }
  ReportProgress(c, index + 1, false);
  return true;
}

// The files that exist only while the capture runs: the scratch directory
// beside the video file (the picture alone, the sound track and the muxed
// file before it takes the video file's name), the hash list under its
// temporary name, and ffmpeg's messages, kept where a full disk beside the
// output cannot lose them.
struct Scratch {
  std::string dir;
  std::string hashes;
  std::string log;
  ~Scratch() {
    RemoveScratch(dir);
    if (!hashes.empty()) {
      unlink(hashes.c_str());
    }
    if (!log.empty()) {
      unlink(log.c_str());
    }
  }
};

// Finishes the hash list: the closing lines, then everything on the disk.
bool CloseHashes(Capture& c, const RenderResult& r, std::string& error) {
  if (r.musicPlayed) {
    std::fprintf(c.hashes, "music-frame %" PRIu64 "\n", r.musicStart / 1000);
  }
  std::fprintf(c.hashes, "frames %" PRIu64 "\n", r.frames);
  errno = 0;
  bool ok = std::fflush(c.hashes) == 0 && !std::ferror(c.hashes) && fsync(fileno(c.hashes)) == 0;
  int why = ok ? 0 : errno;
  if (std::fclose(c.hashes) != 0) {
    why = why != 0 ? why : errno;
    ok = false;
  }
  c.hashes = nullptr;
  if (!ok) {
    error = "cannot write " + c.options->hashes + ": " + std::strerror(why);
  }
  return ok;
}

int Run(const Options& o) {
  if (access(o.program.c_str(), R_OK) != 0) {
    return Fail("cannot read the program file " + o.program + ": " + std::strerror(errno));
  }
  std::string ffmpeg;
  if (!o.out.empty()) {
    ffmpeg = FindFfmpeg();
    if (ffmpeg.empty()) {
      return Fail("ffmpeg not found on PATH; it is needed for --out (Debian package ffmpeg)");
    }
  }
  if (!o.pngDir.empty() && mkdir(o.pngDir.c_str(), 0777) != 0 && errno != EEXIST) {
    return Fail("cannot make the directory " + o.pngDir + ": " + std::strerror(errno));
  }
  CatchInterrupts();
  Capture c;
  c.options = &o;
  Scratch scratch;
  if (!o.out.empty()) {
    if (!MakeScratchBeside(o.out, scratch.dir, c.error)) {
      return Fail(c.error);
    }
    const char* base = std::getenv("TMPDIR");
    std::string log = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/qzcapture-log.XXXXXX";
    int fd = mkstemp(log.data());
    if (fd < 0) {
      return Fail("cannot make a temporary file: " + std::string(std::strerror(errno)));
    }
    close(fd);
    scratch.log = log;
    VideoCoding coding = o.lossless ? VideoCoding::Lossless : VideoCoding::Compact;
    if (!StartVideoEncoder(ffmpeg, o.fps, o.scale, coding, scratch.dir + "/video.mp4", scratch.log, c.encoder,
                           c.error)) {
      return Fail(c.error);
    }
  }
  if (!o.hashes.empty()) {
    std::string part = DirectoryOf(o.hashes) + "/." + BaseNameOf(o.hashes) + ".XXXXXX";
    int fd = mkstemp(part.data());
    if (fd >= 0) {
      // mkstemp makes it private; the list gets the mode a new file would.
      mode_t mask = umask(0);
      umask(mask);
      fchmod(fd, 0666 & ~mask);
    }
    c.hashes = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (c.hashes == nullptr) {
      std::string why = std::strerror(errno);
      FinishVideoEncoder(c.encoder, c.error);
      return Fail("cannot write " + o.hashes + ": " + why);
    }
    scratch.hashes = part;
  }
  c.expected = ExpectedFrames(o.fps);
  c.started = std::chrono::steady_clock::now();
  RenderResult r = RenderPresentation(o.program.c_str(), o.fps, TakeFrame, &c);
  if (r.ok) {
    ReportProgress(c, r.frames, true);
  } else if (c.lastReport >= 0) {
    std::fputc('\n', stderr);
  }
  double renderSeconds = Since(c);
  std::string encodeError;
  bool encoded = FinishVideoEncoder(c.encoder, encodeError);
  if (!r.ok) {
    return Fail(!c.error.empty() ? c.error : o.program + ": " + r.error);
  }
  if (!encoded) {
    return Fail(encodeError);
  }
  if (c.hashes != nullptr && !CloseHashes(c, r, c.error)) {
    return Fail(c.error);
  }
  double seconds = static_cast<double>(r.frames) / o.fps;
  if (!o.out.empty()) {
    std::string wav;
    if (r.musicPlayed) {
      wav = scratch.dir + "/music.wav";
      uint64_t unitsPerSecond = uint64_t{1000} * o.fps;
      if (!WriteMusicTrack(r.music, r.musicLength, r.musicStart, r.frames * 1000, unitsPerSecond, wav, c.error)) {
        return Fail(o.program + ": " + c.error);
      }
    }
    // The muxed file keeps the video file's name, whose extension tells
    // ffmpeg the container.
    std::string muxed = scratch.dir + "/" + BaseNameOf(o.out);
    if (!MuxVideo(ffmpeg, scratch.dir + "/video.mp4", wav, muxed, scratch.log, c.error)) {
      return Fail(c.error);
    }
    if (Interrupted()) {
      return Fail("interrupted");
    }
    if (!PutInPlace(muxed, o.out, c.error)) {
      return Fail(c.error);
    }
  }
  if (!o.hashes.empty()) {
    if (Interrupted()) {
      return Fail("interrupted");
    }
    if (!PutInPlace(scratch.hashes, o.hashes, c.error)) {
      return Fail(c.error);
    }
    scratch.hashes.clear();
  }
  double total = Since(c);
  std::fprintf(stderr, "qzcapture: %s: %" PRIu64 " frames, %.1f s", o.out.empty() ? o.hashes.c_str() : o.out.c_str(),
               r.frames, seconds);
  if (r.musicPlayed) {
    std::fprintf(stderr, ", music from frame %" PRIu64, r.musicStart / 1000);
  }
  std::fprintf(stderr, "; %.1f s to render (%.1fx real time), %.1f s in all (%.1fx)\n", renderSeconds,
               seconds / renderSeconds, total, seconds / total);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::string error;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("qzcapture %s\n", QZ_VERSION);
    return 0;
  }
  if (!ParseOptions(argc, argv, o, error)) {
    std::fprintf(stderr, "qzcapture: %s\n%s", error.c_str(), Usage);
    return 1;
  }
  return Run(o);
}
