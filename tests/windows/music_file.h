// The music the Wine stage puts beside the Windows test programs.
#pragma once
#include <cstdio>
#include <vector>

// The bytes of music.mp3 in the current directory; empty when it is missing.
inline std::vector<unsigned char> ReadMusic() {
  std::vector<unsigned char> bytes;
  FILE* file = std::fopen("music.mp3", "rb");
  if (file == nullptr) {
    return bytes;
  }
  unsigned char block[65536];
  size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
    bytes.insert(bytes.end(), block, block + got);
  }
  std::fclose(file);
  return bytes;
}
