// Little-endian values appended to a byte buffer, as the file formats the
// host tools write (archive, icon, WAV) store them.
#pragma once
#include <cstdint>
#include <vector>

inline void BytesPut16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void BytesPut32(std::vector<uint8_t>& out, uint32_t value) {
  BytesPut16(out, value & 0xFFFF);
  BytesPut16(out, value >> 16);
}
