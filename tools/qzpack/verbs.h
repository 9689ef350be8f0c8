// The verbs of qzpack. Each takes the arguments after its own name and
// returns the exit status: 0, or 1 after one line on stderr.
#pragma once
#include <string>
#include <vector>

using VerbArgs = std::vector<std::string>;

int VerbEncode(const VerbArgs& args);
int VerbDecode(const VerbArgs& args);
int VerbBuild(const VerbArgs& args);
int VerbList(const VerbArgs& args);
int VerbExtract(const VerbArgs& args);
int VerbPicture(const VerbArgs& args);
int VerbPreview(const VerbArgs& args);

// The usage line of a verb from the table in main.cpp.
const char* VerbUsage(const char* verb);
