// Helpers shared by the verbs of qzpack.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Prints "qzpack: MESSAGE" as one line on stderr; returns exit status 1.
int Fail(const std::string& message);

// Prints the usage line of `verb` as the error; returns 1.
int FailUsage(const char* verb);

// A decimal number from 0 to 4294967295, nothing else.
bool ParseIndex(const std::string& text, uint32_t* value);

// Opens `path` with the system's ArchiveOpen. On failure prints why (the
// file cannot be read, or it holds no usable archive) and returns false.
bool OpenArchiveOrFail(const std::string& path);

// Output length of a coded item, from its first four bytes; false when the
// item is too short to be one or announces more bytes than its stream can
// hold (each symbol takes at least one bit).
bool CodedOutputLength(const uint8_t* header, uint64_t storedSize, uint32_t* length);

// Smallest coded item: header, two leaves, one inner node, one stream byte.
constexpr uint32_t CodedItemMinimum = 8 + 2 + 4 + 1;
