// The project's own text files, for the tests that hold the texts written
// for people (the README, the scripts) against the tables in base/.
#pragma once
#include <fstream>
#include <sstream>
#include <string>

// A file under the source tree (QZ_SOURCE_DIR), or "" when it is missing.
inline std::string ReadSource(const char* path) {
  std::ifstream in(std::string(QZ_SOURCE_DIR) + "/" + path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The text between `before` and the next `after`, or "(none)".
inline std::string Between(const std::string& text, const std::string& before, const std::string& after) {
  size_t at = text.find(before);
  if (at == std::string::npos) {
    return "(none)";
  }
  at += before.size();
  size_t end = text.find(after, at);
  return end == std::string::npos ? "(none)" : text.substr(at, end - at);
}
