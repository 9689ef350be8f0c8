// qzcapture run as a program on a small synthetic program file: the frames
// are the same on every run, the music starts on the frame where the script
// enters its music row, frames at known times show the picture at the fade
// level the script gives there, the video file carries the picture and the
// music in step, is the same bytes on every run and, coded without loss,
// decodes to the very frames rendered, bad input ends with one clear line
// and status 1, and a capture whose output fails (a broken encoder, a full
// disk) stops there and leaves every earlier file as it was.
#include "demo/fade.h"
#include "tests/common/program_items.h"
#include "tools/packlib/packlib.h"
#include "tools/qzcapture/frame_hash.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr uint32_t Fps = 10;
constexpr uint32_t Width = 320;
constexpr uint32_t Height = 240;
constexpr uint32_t Pixels = Width * Height;
constexpr uint32_t SampleRate = 44100;

// --- the synthetic program file -------------------------------------------

uint32_t WidePalette(uint32_t i) { return (i << 16) | ((255 - i) << 8) | ((i * 3) & 255); }
// Entry 255 is white, so every level above 0 leaves some pixel lit.
uint32_t OpeningPalette(uint32_t i) { return i == 255 ? 0x00FFFFFF : (0x00808080u ^ (i * 0x010203u)) & 0x00FFFFFF; }
uint32_t ClosingPalette(uint32_t i) { return (i * 0x00050709u) & 0x00FFFFFFu; }
uint32_t LoadingPalette(uint32_t i) { return 0x00010101u * i; }
uint8_t OpeningIndex(uint32_t i) { return static_cast<uint8_t>(i % 256); }
uint8_t ClosingIndex(uint32_t i) { return static_cast<uint8_t>((i / Width + i) & 255); }
uint8_t LoadingIndex(uint32_t i) { return static_cast<uint8_t>((i * 7) & 255); }
uint8_t WideIndex(uint32_t i) { return static_cast<uint8_t>(i % 3200 + i / 3200); }

struct RunResult {
  int status;
  std::string stderrText;
};

// Starts `args` with stdout discarded and stderr kept in `errFile`; `path`
// replaces PATH when given. The process, or -1 when it could not start.
pid_t SpawnProgram(const std::vector<std::string>& args, const std::string& errFile, const char* path = nullptr) {
  std::vector<char*> argv;
  for (const std::string& a : args) {
    argv.push_back(const_cast<char*>(a.c_str()));
  }
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; e++) {
    if (path == nullptr || std::string(*e).rfind("PATH=", 0) != 0) {
      env.emplace_back(*e);
    }
  }
  if (path != nullptr) {
    env.push_back(std::string("PATH=") + path);
  }
  std::vector<char*> envp;
  for (std::string& e : env) {
    envp.push_back(e.data());
  }
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

// Runs `args` as SpawnProgram starts them, to their end.
RunResult RunProgram(const std::vector<std::string>& args, const std::string& errFile, const char* path = nullptr) {
  pid_t pid = SpawnProgram(args, errFile, path);
  RunResult r{-1, ""};
  int status = 0;
  if (pid != -1 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    r.status = WEXITSTATUS(status);
  }
  std::ifstream in(errFile);
  std::stringstream text;
  text << in.rdbuf();
  r.stderrText = text.str();
  return r;
}

// Output of a shell command (ffmpeg and ffprobe only, with quoted paths).
std::string CommandOutput(const std::string& command) {
  std::string out;
  std::FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) {
    return out;
  }
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, p)) > 0) {
    out.append(buffer, got);
  }
  pclose(p);
  return out;
}

// A directory of the test's own with the program file in it, made once per
// process and removed at its end.
class CaptureTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = testing::TempDir() + "qzcapture_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    // A short tone as tag-less MP3, so every decoder keeps the encoder's and
    // its own delay in the stream, as the music position counts them.
    std::string mp3 = dir_ + "/music.mp3";
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=6 -ac 2 -c:a libmp3lame "
                           "-b:a 96k -write_xing 0 '" + mp3 + "'").c_str()),
              0);
    std::vector<uint8_t> music;
    std::string error;
    ASSERT_TRUE(PackReadFile(mp3, music, error)) << error;
    std::vector<std::vector<uint8_t>> contents = {
        PaletteBytes(WidePalette),    PictureBytes(WideIndex, 3200 * Height), music,
        PaletteBytes(OpeningPalette), PictureBytes(OpeningIndex, Pixels),     PaletteBytes(ClosingPalette),
        PictureBytes(ClosingIndex, Pixels), PaletteBytes(LoadingPalette),     PictureBytes(LoadingIndex, Pixels),
    };
    program_ = dir_ + "/program.exe";
    ASSERT_TRUE(WriteProgramFile(program_, contents, error)) << error;
  }

  static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

  // The capture with this process, and so ffmpeg under it, kept to one
  // processor: ffmpeg and x264 size their thread pools by what they may use.
  RunResult RunCaptureOnOneCore(std::vector<std::string> extra, uint32_t fps) {
    cpu_set_t all;
    CPU_ZERO(&all);
    EXPECT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; cpu++) {
      if (CPU_ISSET(cpu, &all)) {
        CPU_SET(cpu, &one);
        break;
      }
    }
    EXPECT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    RunResult r = RunCapture(extra, nullptr, fps);
    EXPECT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
    return r;
  }

  RunResult RunCapture(std::vector<std::string> extra, const char* path = nullptr, uint32_t fps = Fps) {
    std::vector<std::string> args = {QZ_CAPTURE_PROGRAM, "--program", program_, "--fps", std::to_string(fps)};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunProgram(args, dir_ + "/stderr.txt", path);
  }

  struct Hashes {
    std::vector<std::string> frames;   // by index
    long musicFrame = -1;
    long count = -1;
  };

  Hashes ReadHashes(const std::string& file) {
    Hashes h;
    std::ifstream in(file);
    std::string key;
    std::string value;
    while (in >> key >> value) {
      if (key == "music-frame") {
        h.musicFrame = std::stol(value);
      } else if (key == "frames") {
        h.count = std::stol(value);
      } else {
        EXPECT_EQ(std::stoul(key), h.frames.size());
        h.frames.push_back(value);
      }
    }
    return h;
  }

  static std::string dir_;
  static std::string program_;
};

std::string CaptureTest::dir_;
std::string CaptureTest::program_;

// A frame's hash as the hash list writes it.
std::string FrameHash(const std::vector<uint32_t>& frame) {
  EXPECT_EQ(frame.size(), size_t{FrameWidth} * FrameHeight);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(CaptureFrameHash(frame.data())));
  return text;
}

// The opening picture through its palette, faded by the system's own table.
std::vector<uint32_t> OpeningAt(int32_t level) {
  BuildFadeTable();
  std::vector<uint32_t> frame(Pixels);
  for (uint32_t i = 0; i < Pixels; i++) {
    frame[i] = OpeningPalette(OpeningIndex(i));
  }
  FadePass(frame.data(), frame.data(), Pixels, level);
  return frame;
}

// A PNG written with --scale 2, brought back to one value per frame pixel;
// every 2 x 2 block must be one colour.
std::vector<uint32_t> ReadScaledPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint32_t> frame;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    ADD_FAILURE() << "cannot read " << path;
    return frame;
  }
  EXPECT_EQ(image.width, 2 * Width);
  EXPECT_EQ(image.height, 2 * Height);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  if (image.width != 2 * Width || image.height != 2 * Height) {
    return frame;
  }
  auto at = [&](uint32_t x, uint32_t y) {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
  };
  size_t blotches = 0;
  for (uint32_t y = 0; y < Height; y++) {
    for (uint32_t x = 0; x < Width; x++) {
      uint32_t v = at(2 * x, 2 * y);
      blotches += at(2 * x + 1, 2 * y) != v || at(2 * x, 2 * y + 1) != v || at(2 * x + 1, 2 * y + 1) != v;
      frame.push_back(v);
    }
  }
  EXPECT_EQ(blotches, 0u) << "nearest-neighbour enlargement repeats each pixel";
  return frame;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The hash of every picture frame the video decodes to, in order, each
// frame brought back to the renderer's 0x00RRGGBB words.
std::vector<std::string> DecodedFrameHashes(const std::string& video) {
  std::vector<std::string> hashes;
  std::string command = "ffmpeg -v error -i '" + video +
                        "' -map 0:v:0 -fps_mode passthrough -f rawvideo -pix_fmt rgb24 -";
  std::FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return hashes;
  }
  std::vector<uint8_t> rgb(Pixels * 3);
  std::vector<uint32_t> frame(Pixels);
  while (std::fread(rgb.data(), 1, rgb.size(), p) == rgb.size()) {
    for (uint32_t i = 0; i < Pixels; i++) {
      frame[i] = uint32_t{rgb[3 * i]} << 16 | uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
    }
    hashes.push_back(FrameHash(frame));
  }
  EXPECT_EQ(pclose(p), 0) << command;
  return hashes;
}

size_t Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) {
    return std::max(a.size(), b.size());
  }
  size_t n = 0;
  for (size_t i = 0; i < a.size(); i++) {
    n += a[i] != b[i];
  }
  return n;
}

TEST_F(CaptureTest, TwoCapturesGiveTheSameFrames) {
  std::string first = dir_ + "/first.txt";
  std::string second = dir_ + "/second.txt";
  ASSERT_EQ(RunCapture({"--hashes", first}).status, 0);
  ASSERT_EQ(RunCapture({"--hashes", second}).status, 0);
  Hashes a = ReadHashes(first);
  Hashes b = ReadHashes(second);
  ASSERT_EQ(a.count, static_cast<long>(a.frames.size()));
  EXPECT_EQ(a.frames, b.frames);
  EXPECT_EQ(a.musicFrame, b.musicFrame);
  // The whole presentation: 16 s of picture fades and 6 s of holds around
  // 124.8 s of music up to the last cue, at 10 frames a second.
  EXPECT_GT(a.count, 1460);
  EXPECT_LT(a.count, 1500);
  // The scroller moves and flickers: far more than a handful of pictures.
  std::map<std::string, int> distinct;
  for (const std::string& h : a.frames) {
    distinct[h]++;
  }
  EXPECT_GT(distinct.size(), 500u);
}

TEST_F(CaptureTest, MusicStartsOnTheFrameTheMusicRowIsEntered) {
  std::string hashes = dir_ + "/music.txt";
  ASSERT_EQ(RunCapture({"--hashes", hashes}).status, 0);
  Hashes h = ReadHashes(hashes);
  std::string black = FrameHash(std::vector<uint32_t>(Pixels, 0));
  // The opening fade-out draws its last frame black and leaves its row; the
  // music row is entered on the next pass, which draws nothing.
  ASSERT_GT(h.musicFrame, 2);
  ASSERT_LT(h.musicFrame, static_cast<long>(h.frames.size()));
  long firstBlack = -1;
  for (size_t i = 2; i < h.frames.size() && firstBlack < 0; i++) {
    if (h.frames[i] == black) {
      firstBlack = static_cast<long>(i);
    }
  }
  EXPECT_EQ(h.musicFrame, firstBlack + 1);
  EXPECT_EQ(h.frames[h.musicFrame], black);
}

TEST_F(CaptureTest, FramesShowThePictureAtTheScriptsFadeLevel) {
  std::string pngs = dir_ + "/png";
  std::string hashes = dir_ + "/png.txt";
  ASSERT_EQ(RunCapture({"--png", pngs, "--every", "10", "--scale", "2", "--hashes", hashes}).status, 0);
  Hashes h = ReadHashes(hashes);
  auto png = [&](int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", frame);
    return ReadScaledPng(pngs + name);
  };
  EXPECT_TRUE(std::filesystem::exists(pngs + "/frame_000000.png"));
  EXPECT_FALSE(std::filesystem::exists(pngs + "/frame_000005.png"));
  // Frame 0 is the loading screen; the first pass (0.1 s) enters the opening
  // fade-in, whose level steps up every 32 ms: at 1.0 s it has stepped
  // 900 / 32 = 28 times.
  EXPECT_EQ(Differences(png(10), OpeningAt(28)), 0u);
  EXPECT_EQ(Differences(png(40), OpeningAt(3900 / 32)), 0u);
  // Level 128 is reached 4.096 s after 0.1 s; the pass at 4.2 s draws it and
  // holds 3 s, while the screen keeps the frame of 4.1 s (level 125).
  std::vector<uint32_t> held = OpeningAt(4000 / 32);
  EXPECT_EQ(Differences(png(50), held), 0u);
  EXPECT_EQ(Differences(png(70), held), 0u);
  EXPECT_EQ(h.frames[41], FrameHash(held));
  EXPECT_EQ(h.frames[71], FrameHash(held));
  EXPECT_EQ(h.frames[72], FrameHash(OpeningAt(FadeLevelNormal))) << "shown once the hold is over";
}

TEST_F(CaptureTest, VideoFileCarriesPictureAndMusicInStep) {
  std::string out = dir_ + "/out.mp4";
  std::string hashes = dir_ + "/mp4.txt";
  // A low frame rate keeps the encoding short; the enlargement is checked.
  constexpr uint32_t VideoFps = 4;
  RunResult r = RunCapture({"--out", out, "--scale", "2", "--hashes", hashes}, nullptr, VideoFps);
  ASSERT_EQ(r.status, 0) << r.stderrText;
  Hashes h = ReadHashes(hashes);
  std::string probe = CommandOutput("ffprobe -v error -show_entries stream=codec_name,pix_fmt,width,height "
                              "-show_entries format=duration -of default=nw=1 '" + out + "'");
  EXPECT_NE(probe.find("codec_name=h264"), std::string::npos) << probe;
  EXPECT_NE(probe.find("pix_fmt=yuv420p"), std::string::npos) << probe;
  EXPECT_NE(probe.find("width=640\nheight=480"), std::string::npos) << probe;
  EXPECT_NE(probe.find("codec_name=aac"), std::string::npos) << probe;
  size_t at = probe.find("duration=");
  ASSERT_NE(at, std::string::npos) << probe;
  EXPECT_NEAR(std::stod(probe.substr(at + 9)), static_cast<double>(h.count) / VideoFps, 0.05);

  // The tone's onset in the video's sound track lies where the music
  // started plus where the onset lies in the MP3's own decoded stream.
  auto onset = [](const std::string& pcm) {
    const auto* s = reinterpret_cast<const int16_t*>(pcm.data());
    for (size_t i = 0; i < pcm.size() / 2; i++) {
      if (s[i] > 200 || s[i] < -200) {
        return static_cast<long>(i);
      }
    }
    return -1L;
  };
  const char* decode = "ffmpeg -v error -i '%s' -map 0:a -f s16le -ac 1 -ar 44100 -";
  char command[1024];
  std::snprintf(command, sizeof command, decode, (dir_ + "/music.mp3").c_str());
  long inMusic = onset(CommandOutput(std::string(command)));
  std::snprintf(command, sizeof command, decode, out.c_str());
  long inVideo = onset(CommandOutput(std::string(command)));
  ASSERT_GT(inMusic, 0);
  long expected = h.musicFrame * static_cast<long>(SampleRate / VideoFps) + inMusic;
  EXPECT_NEAR(inVideo, expected, SampleRate / 1000) << "within a millisecond";
}

TEST_F(CaptureTest, VideoFileIsTheSameBytesOnEveryRun) {
  // Scaled, so that the scaler's own threads have work to share; one run
  // may use every core, the other only one, as on a smaller machine.
  constexpr uint32_t VideoFps = 2;
  std::string first = dir_ + "/same1.mp4";
  std::string second = dir_ + "/same2.mp4";
  RunResult r = RunCapture({"--out", first, "--scale", "2"}, nullptr, VideoFps);
  ASSERT_EQ(r.status, 0) << r.stderrText;
  r = RunCaptureOnOneCore({"--out", second, "--scale", "2"}, VideoFps);
  ASSERT_EQ(r.status, 0) << r.stderrText;
  std::string a = FileBytes(first);
  std::string b = FileBytes(second);
  ASSERT_GT(a.size(), 10000u);
  EXPECT_EQ(a.size(), b.size());
  EXPECT_TRUE(a == b) << "the two files differ";
}

TEST_F(CaptureTest, LosslessVideoDecodesToTheRenderedFrames) {
  constexpr uint32_t VideoFps = 2;
  std::string out = dir_ + "/lossless.mp4";
  std::string hashes = dir_ + "/lossless.txt";
  // Without --scale: a lossless file keeps the frames at their own size.
  RunResult r = RunCapture({"--out", out, "--lossless", "--hashes", hashes}, nullptr, VideoFps);
  ASSERT_EQ(r.status, 0) << r.stderrText;
  Hashes h = ReadHashes(hashes);
  ASSERT_EQ(h.count, static_cast<long>(h.frames.size()));
  std::vector<std::string> decoded = DecodedFrameHashes(out);
  ASSERT_EQ(decoded.size(), h.frames.size());
  size_t wrong = 0;
  for (size_t i = 0; i < decoded.size(); i++) {
    if (decoded[i] != h.frames[i] && wrong++ < 5) {
      ADD_FAILURE() << "frame " << i << " decodes to another picture";
    }
  }
  EXPECT_EQ(wrong, 0u) << "frames that differ";
  // The music still rides along in the lossless file.
  std::string probe = CommandOutput("ffprobe -v error -show_entries stream=codec_name -of default=nw=1 '" + out + "'");
  EXPECT_NE(probe.find("codec_name=h264"), std::string::npos) << probe;
  EXPECT_NE(probe.find("codec_name=aac"), std::string::npos) << probe;
}

// Bad input ends with one line that names it; a bad option with that line
// and the usage after it. Either way with status 1.
TEST_F(CaptureTest, BadInputEndsWithOneLineOrTheLineAndTheUsage) {
  std::string hashes = dir_ + "/bad.txt";
  std::string notArchive = dir_ + "/plain.exe";
  std::string error;
  ASSERT_TRUE(PackWriteFile(notArchive, std::vector<uint8_t>(5000, 0x55), error));
  struct Case {
    std::vector<std::string> args;
    std::string words;
    bool usage;
    const char* path;
  };
  const Case cases[] = {
      {{"--program", dir_ + "/missing.exe", "--hashes", hashes}, "cannot read the program file", false, nullptr},
      {{"--program", notArchive, "--hashes", hashes}, "no usable archive", false, nullptr},
      {{"--out", dir_ + "/none.mp4"}, "ffmpeg not found", false, "/nonexistent"},
      {{"--hashes", hashes, "--fps", "0"}, "--fps needs a whole number", true, nullptr},
      {{"--hashes", hashes, "--scale", "x"}, "--scale needs a whole number", true, nullptr},
      {{"--hashes", hashes, "--every", "3"}, "--every needs --png", true, nullptr},
      {{"--hashes", hashes, "--lossless"}, "--lossless needs --out", true, nullptr},
      {{"--hashes", hashes, "--speed", "2"}, "unknown option", true, nullptr},
      {{}, "--out is required", true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    RunResult r = RunCapture(c.args, c.path);
    EXPECT_EQ(r.status, 1) << r.stderrText;
    size_t end = r.stderrText.find('\n');
    ASSERT_NE(end, std::string::npos) << r.stderrText;
    std::string line = r.stderrText.substr(0, end);
    std::string rest = r.stderrText.substr(end + 1);
    EXPECT_EQ(line.rfind("qzcapture: ", 0), 0u) << line;
    EXPECT_NE(line.find(c.words), std::string::npos) << line;
    if (c.usage) {
      EXPECT_EQ(rest.rfind("usage: qzcapture", 0), 0u) << rest;
    } else {
      EXPECT_EQ(rest, "");
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/none.mp4"));
}

// --- failing output ---------------------------------------------------------

// The names in a directory, hidden ones included.
std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void PutFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Earlier outputs that a failing capture must leave as they are.
struct EarlierFiles {
  std::string video;
  std::string hashes;
  std::string frame;    // frames/frame_000000.png
  std::string videoBytes = std::string(150000, 'v') + "an earlier video";
  std::string hashesBytes = "0 0123456789abcdef\nframes 1\n";
  std::string frameBytes = "an earlier frame";

  explicit EarlierFiles(const std::string& dir)
      : video(dir + "/earlier.mp4"), hashes(dir + "/hashes.txt"), frame(dir + "/frames/frame_000000.png") {
    std::filesystem::create_directory(dir + "/frames");
    PutFile(video, videoBytes);
    PutFile(hashes, hashesBytes);
    PutFile(frame, frameBytes);
  }

  void ExpectUnchanged() const {
    EXPECT_EQ(FileBytes(video), videoBytes);
    EXPECT_EQ(FileBytes(hashes), hashesBytes);
    EXPECT_EQ(FileBytes(frame), frameBytes);
  }
};

bool IsWholePng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

void ExpectOneLineFailure(const RunResult& r, const std::string& words) {
  EXPECT_EQ(r.status, 1) << r.stderrText;
  size_t at = r.stderrText.rfind("qzcapture: ");
  ASSERT_NE(at, std::string::npos) << r.stderrText;
  std::string last = r.stderrText.substr(at);
  EXPECT_EQ(last.find('\n'), last.size() - 1) << "one line: " << last;
  EXPECT_NE(last.find(words), std::string::npos) << last;
}

TEST_F(CaptureTest, BrokenEncoderStopsTheCaptureAndLeavesEarlierFiles) {
  std::string out = dir_ + "/broken";
  std::filesystem::create_directory(out);
  EarlierFiles earlier(out);
  // An ffmpeg that takes a few frames, then fails with a reason of its own.
  std::string bin = dir_ + "/fakebin";
  std::filesystem::create_directory(bin);
  PutFile(bin + "/ffmpeg",
          "#!/bin/sh\nhead -c 1000000 >/dev/null\necho 'fake encoder: out of cheese' >&2\nexit 3\n");
  std::filesystem::permissions(bin + "/ffmpeg", std::filesystem::perms::owner_all);
  std::string path = bin + ":" + std::getenv("PATH");

  RunResult r = RunCapture({"--out", earlier.video, "--hashes", earlier.hashes, "--png", out + "/frames"},
                           path.c_str());
  ExpectOneLineFailure(r, "ffmpeg failed (exit status 3): fake encoder: out of cheese");
  EXPECT_EQ(FileBytes(earlier.video), earlier.videoBytes);
  EXPECT_EQ(FileBytes(earlier.hashes), earlier.hashesBytes);
  EXPECT_EQ(Names(out), (std::vector<std::string>{"earlier.mp4", "frames", "hashes.txt"}));
  // Rendering stopped at the broken pipe: a handful of frames, not the
  // hundreds of the whole presentation; each one whole.
  std::vector<std::string> frames = Names(out + "/frames");
  EXPECT_LT(frames.size(), 20u);
  // Frame 0, the earlier one's name, was replaced by a whole new frame.
  for (const std::string& name : frames) {
    EXPECT_EQ(name.rfind("frame_", 0), 0u) << name;
    EXPECT_TRUE(IsWholePng(out + "/frames/" + name)) << name;
  }
}

// SIGTERM mid-render ends the capture like a failed write: the earlier hash
// list stays, and so does nothing of this run.
TEST_F(CaptureTest, TerminatedCaptureLeavesTheEarlierFileAndNoTemporaryFile) {
  std::string out = dir_ + "/terminated";
  std::filesystem::create_directory(out);
  EarlierFiles earlier(out);
  const std::vector<std::string> before = Names(out);
  std::string err = out + "/../terminated.err";
  pid_t pid = SpawnProgram({QZ_CAPTURE_PROGRAM, "--program", program_, "--fps", "100", "--hashes", earlier.hashes},
                           err);
  ASSERT_NE(pid, -1);
  // The render has begun once the hash list's temporary file is there.
  bool rendering = false;
  for (int i = 0; i < 20000 && !rendering; i++) {
    rendering = Names(out).size() > before.size();
    if (!rendering) {
      usleep(500);
    }
  }
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(rendering) << "no temporary hash list appeared";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << FileBytes(err);
  EXPECT_NE(FileBytes(err).find("qzcapture: interrupted"), std::string::npos) << FileBytes(err);
  earlier.ExpectUnchanged();
  EXPECT_EQ(Names(out), before);
}

// A tmpfs of a few megabytes, mounted for the test and filled up.
class FullDisk {
 public:
  explicit FullDisk(const std::string& dir) : dir_(dir) {
    std::filesystem::create_directory(dir);
    if (mount("qz_full", dir.c_str(), "tmpfs", 0, "size=2m") != 0) {
      why_ = std::string("cannot mount a tmpfs (root only): ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~FullDisk() {
    if (mounted_) {
      umount2(dir_.c_str(), MNT_DETACH);
    }
  }
  // Fills what is left with one file.
  void Fill() {
    std::FILE* f = std::fopen((dir_ + "/filler").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::vector<char> block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
    }
    std::fclose(f);
    // Byte-sized remains, too.
    f = std::fopen((dir_ + "/filler").c_str(), "ab");
    while (f != nullptr && std::fputc('f', f) != EOF && std::fflush(f) == 0) {
    }
    if (f != nullptr) {
      std::fclose(f);
    }
  }
  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }

 private:
  std::string dir_;
  bool mounted_ = false;
  std::string why_;
};

TEST_F(CaptureTest, CaptureOntoAFullDiskLeavesEarlierFilesByteForByte) {
  std::string disk = dir_ + "/full";
  FullDisk full(disk);
  if (!full.mounted()) {
    GTEST_SKIP() << full.why();
  }
  EarlierFiles earlier(disk);
  full.Fill();
  const std::vector<std::string> before = Names(disk);

  RunResult video = RunCapture({"--out", earlier.video});
  ExpectOneLineFailure(video, "No space left on device");
  RunResult hashes = RunCapture({"--hashes", earlier.hashes});
  ExpectOneLineFailure(hashes, "No space left on device");
  RunResult png = RunCapture({"--hashes", dir_ + "/elsewhere.txt", "--png", disk + "/frames", "--every", "1"});
  ExpectOneLineFailure(png, "No space left on device");
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/elsewhere.txt")) << "a failed capture writes no hash list";

  earlier.ExpectUnchanged();
  EXPECT_EQ(Names(disk), before);
  EXPECT_EQ(Names(disk + "/frames"), std::vector<std::string>{"frame_000000.png"});
}

}  // namespace
