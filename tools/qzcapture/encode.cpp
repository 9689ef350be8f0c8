// Running ffmpeg: found on PATH, started with fork and exec (no shell, so
// any file name passes unchanged), fed through a pipe.
#include "tools/qzcapture/encode.h"

#include "base/frame.h"

#include "tools/qzcapture/outputs.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char FfmpegName[] = "ffmpeg";

// Quiet except for real errors, which go to our stderr as ffmpeg words them.
const char* const QuietArgs[] = {"-hide_banner", "-nostats", "-loglevel", "error", "-y"};

// Coders and the container without version strings, build-dependent
// shortcuts or anything taken from the clock.
const char* const BitExactArgs[] = {"-flags", "+bitexact", "-fflags", "+bitexact"};

// x264 with every frame cut into four slices, each coded on its own thread.
// Its default, whole frames coded side by side on threads, gave a different
// stream from the same frames now and then (2 of 11 encodes of 400 frames),
// and takes its thread count from the machine. Slices do not wait on one
// another. Four cost about 4 % in size against two and let the coding
// spread over up to four cores.
const char* const EncoderThreadArgs[] = {"-threads", "4", "-x264-params", "sliced-threads=1"};

std::vector<std::string> BaseArgs(const std::string& ffmpeg) {
  std::vector<std::string> args{ffmpeg};
  args.insert(args.end(), std::begin(QuietArgs), std::end(QuietArgs));
  return args;
}

// Starts `args` with its stderr appended to `log`; when `input` is not null
// the child's stdin is a pipe whose writing end is stored there.
pid_t Spawn(const std::vector<std::string>& args, int* input, const std::string& log, std::string& error) {
  int ends[2] = {-1, -1};
  if (input != nullptr && pipe2(ends, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return -1;
  }
  std::vector<char*> argv;
  for (const std::string& a : args) {
    argv.push_back(const_cast<char*>(a.c_str()));
  }
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (input != nullptr) {
      dup2(ends[0], STDIN_FILENO);
    } else {
      int null = open("/dev/null", O_RDONLY);
      dup2(null, STDIN_FILENO);
    }
    int messages = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (messages >= 0) {
      dup2(messages, STDERR_FILENO);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (input != nullptr) {
    close(ends[0]);
    if (pid < 0) {
      close(ends[1]);
    } else {
      *input = ends[1];
    }
  }
  if (pid < 0) {
    error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
  }
  return pid;
}

bool Wait(pid_t pid, const std::string& log, std::string& error) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      error = std::string("lost ffmpeg: ") + std::strerror(errno);
      return false;
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    return true;
  }
  error = "ffmpeg failed (exit status " +
          std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) + ")";
  std::string reason = LastReason(log);
  if (!reason.empty()) {
    error += ": " + reason;
  }
  return false;
}

}  // namespace

std::string FindFfmpeg() {
  const char* path = std::getenv("PATH");
  std::string rest = path != nullptr ? path : "";
  size_t from = 0;
  while (from <= rest.size()) {
    size_t to = rest.find(':', from);
    if (to == std::string::npos) {
      to = rest.size();
    }
    std::string dir = rest.substr(from, to - from);
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + FfmpegName;
    if (access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    from = to + 1;
  }
  return "";
}

bool StartVideoEncoder(const std::string& ffmpeg, uint32_t fps, uint32_t scale, VideoCoding coding,
                       const std::string& out, const std::string& log, VideoEncoder& encoder,
                       std::string& error) {
  // A vanished reader must show as a failed write, not end the process.
  std::signal(SIGPIPE, SIG_IGN);
  bool lossless = coding == VideoCoding::Lossless;
  std::string size = std::to_string(FrameWidth * scale) + ":" + std::to_string(FrameHeight * scale);
  std::string frameSize = std::to_string(FrameWidth) + "x" + std::to_string(FrameHeight);
  std::vector<std::string> args = BaseArgs(ffmpeg);
  // The scaler on one thread, so that nothing but x264's slices runs on
  // more than one; at this frame size it costs no time.
  args.insert(args.end(), {"-filter_threads", "1"});
  args.insert(args.end(), {"-f", "rawvideo", "-pix_fmt", "bgr0", "-video_size", frameSize});
  args.insert(args.end(), {"-framerate", std::to_string(fps), "-i", "pipe:0"});
  // Whole-factor nearest-neighbour scaling, by the scaler's portable code
  // rather than whichever fast path the processor allows. The compact coding
  // tags its colour conversion with the matrix it used so that players
  // convert back the same way; the lossless one stays in RGB.
  std::string scaler = "scale=" + size + ":flags=neighbor+bitexact";
  if (!lossless) {
    scaler += ":out_color_matrix=bt709:out_range=tv";
  }
  args.insert(args.end(), {"-vf", scaler});
  if (lossless) {
    for (const char* a : {"-c:v", "libx264rgb", "-preset", "veryfast", "-qp", "0", "-pix_fmt", "bgr0"}) {
      args.emplace_back(a);
    }
  } else {
    for (const char* a : {"-c:v", "libx264", "-preset", "veryfast", "-crf", "16", "-pix_fmt", "yuv420p",
                          "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709"}) {
      args.emplace_back(a);
    }
  }
  args.insert(args.end(), std::begin(EncoderThreadArgs), std::end(EncoderThreadArgs));
  args.insert(args.end(), std::begin(BitExactArgs), std::end(BitExactArgs));
  args.emplace_back("-an");
  args.push_back(out);
  encoder.log = log;
  encoder.pid = Spawn(args, &encoder.input, log, error);
  return encoder.pid > 0;
}

bool EncodeFrame(VideoEncoder& encoder, const uint32_t* frame, size_t pixels) {
  const char* bytes = reinterpret_cast<const char*>(frame);
  size_t left = pixels * sizeof(uint32_t);
  while (left > 0) {
    ssize_t put = write(encoder.input, bytes, left);
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      return false;
    }
    bytes += put;
    left -= static_cast<size_t>(put);
  }
  return true;
}

bool FinishVideoEncoder(VideoEncoder& encoder, std::string& error) {
  if (encoder.input >= 0) {
    close(encoder.input);
    encoder.input = -1;
  }
  if (encoder.pid <= 0) {
    return true;
  }
  bool ok = Wait(encoder.pid, encoder.log, error);
  encoder.pid = -1;
  return ok;
}

bool MuxVideo(const std::string& ffmpeg, const std::string& video, const std::string& wav,
              const std::string& out, const std::string& log, std::string& error) {
  std::vector<std::string> args = BaseArgs(ffmpeg);
  args.insert(args.end(), {"-i", video});
  if (!wav.empty()) {
    args.insert(args.end(), {"-i", wav, "-map", "0:v:0", "-map", "1:a:0", "-c:a", "aac", "-b:a", "192k"});
  }
  args.insert(args.end(), {"-c:v", "copy", "-movflags", "+faststart"});
  args.insert(args.end(), std::begin(BitExactArgs), std::end(BitExactArgs));
  args.push_back(out);
  pid_t pid = Spawn(args, nullptr, log, error);
  return pid > 0 && Wait(pid, log, error);
}
