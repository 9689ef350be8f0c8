// Single frames as PNG files.
#pragma once
#include <cstdint>
#include <string>

// Writes a width x height frame of 0x00RRGGBB values, each pixel repeated
// `scale` times across and down, as an 8-bit RGB PNG.
bool WritePng(const std::string& path, const uint32_t* frame, uint32_t width, uint32_t height, uint32_t scale,
              std::string& error);
