// The video file through the ffmpeg command-line tool: raw frames down a
// pipe into an H.264 encoder, then the music muxed in beside the picture.
// Every setting is chosen so that the same frames give the same file bytes
// with the same ffmpeg build, whatever the machine's core count or load.
#pragma once
#include <cstdint>
#include <string>
#include <sys/types.h>

// The ffmpeg program found on PATH, or an empty text when there is none.
std::string FindFfmpeg();

struct VideoEncoder {
  pid_t pid = -1;   // the ffmpeg process, -1 while none runs
  int input = -1;   // the pipe its raw frames go down
  std::string log;  // the file its stderr goes to
};

// How the picture is coded.
enum class VideoCoding {
  Compact,    // H.264 in yuv420p at a high quality: small, plays everywhere
  Lossless,   // H.264 in RGB at quantiser 0: decodes to the very frames
};

// Starts ffmpeg reading FrameWidth x FrameHeight frames of 0x00RRGGBB values at `fps`,
// scaling them by `scale` (nearest neighbour) into H.264 in `out`, without
// sound; its messages go to the file `log`. False, with `error` set, when
// it cannot be started.
bool StartVideoEncoder(const std::string& ffmpeg, uint32_t fps, uint32_t scale, VideoCoding coding,
                       const std::string& out, const std::string& log, VideoEncoder& encoder,
                       std::string& error);

// One frame down the pipe. False when ffmpeg has gone.
bool EncodeFrame(VideoEncoder& encoder, const uint32_t* frame, size_t pixels);

// Closes the pipe and waits for ffmpeg; false when it failed, with `error`
// giving its exit status and the last reason in its log.
bool FinishVideoEncoder(VideoEncoder& encoder, std::string& error);

// Writes `out` from the video file and, when `wav` is not empty, the sound
// in that WAV file as AAC, ffmpeg's messages to `log`. False, with `error`
// set as for FinishVideoEncoder, when ffmpeg fails.
bool MuxVideo(const std::string& ffmpeg, const std::string& video, const std::string& wav,
              const std::string& out, const std::string& log, std::string& error);
