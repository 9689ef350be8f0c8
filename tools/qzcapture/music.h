// The sound track of the capture: the music the sound library was handed,
// decoded as the system's sound library decodes it, placed on the video's
// time line where the script started it.
#pragma once
#include <cstdint>
#include <string>

// Writes a WAV file of exactly `duration` seconds (durationUnits clock
// units of 1 / unitsPerSecond s): silence until `start` units, then the
// decoded music, cut at the end or followed by silence. Decoded sample k
// sounds at start + k / rate: every decoded sample counts, encoder and
// decoder delay included, as the music position counts them. False, with
// `error` set, when the data holds no MPEG audio or the file cannot be
// written.
bool WriteMusicTrack(const uint8_t* mp3, uint32_t length, uint64_t start, uint64_t durationUnits,
                     uint64_t unitsPerSecond, const std::string& wavPath, std::string& error);
