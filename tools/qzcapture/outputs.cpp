// Whole-or-nothing output files and the capture's interrupt flag.
#include "tools/qzcapture/outputs.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t InterruptSeen = 0;

void OnInterrupt(int) { InterruptSeen = 1; }

// ffmpeg's summaries that name no cause ("Conversion failed!", "Error
// initializing output stream 0:0 -- " with nothing after the dashes): a
// line before them does.
bool SaysNothing(const std::string& line) {
  size_t end = line.find_last_not_of(" \t\r");
  if (end == std::string::npos) {
    return true;
  }
  std::string text = line.substr(0, end + 1);
  return text == "Conversion failed!" || (text.size() >= 2 && text.compare(text.size() - 2, 2, "--") == 0);
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool MakeScratchBeside(const std::string& path, std::string& scratch, std::string& error) {
  std::string pattern = DirectoryOf(path) + "/.qzcapture-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    error = "cannot make a temporary directory beside " + path + ": " + std::strerror(errno);
    return false;
  }
  scratch = pattern;
  return true;
}

void RemoveScratch(const std::string& scratch) {
  if (scratch.empty()) {
    return;
  }
  if (DIR* dir = opendir(scratch.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") {
        unlink((scratch + "/" + name).c_str());
      }
    }
    closedir(dir);
  }
  rmdir(scratch.c_str());
}

bool PutInPlace(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    error = "cannot put " + to + " in place: " + std::strerror(errno);
    return false;
  }
  return true;
}

std::string LastReason(const std::string& log) {
  std::ifstream in(log);
  std::string line;
  std::string reason;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!SaysNothing(line)) {
      reason = line;
    }
  }
  return reason;
}

bool Interrupted() { return InterruptSeen != 0; }

void CatchInterrupts() {
  struct sigaction action{};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
