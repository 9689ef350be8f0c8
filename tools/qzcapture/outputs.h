// Output files that appear whole or not at all: each is written under a
// temporary name in the directory it will live in, so that the one rename
// that puts it in place cannot cross a file system, and a failed or
// interrupted capture leaves any earlier file of that name as it was.
#pragma once
#include <string>

// The directory part of `path` ("." for a bare name).
std::string DirectoryOf(const std::string& path);

// The last path component of `path`.
std::string BaseNameOf(const std::string& path);

// Makes a private directory beside `path` for the files that become it.
// False, with `error` set, when the directory cannot be made there.
bool MakeScratchBeside(const std::string& path, std::string& scratch, std::string& error);

// Removes the scratch directory and every file in it (one level).
void RemoveScratch(const std::string& scratch);

// Renames `from` over `to` (same file system). False, with `error` set.
bool PutInPlace(const std::string& from, const std::string& to, std::string& error);

// The last line ffmpeg wrote to its log that gives a reason, without its
// end of line; empty when there is none.
std::string LastReason(const std::string& log);

// Set by SIGINT and SIGTERM once CatchInterrupts has run.
bool Interrupted();
void CatchInterrupts();
