// qzpack list FILE: the directory, one item per line. The system's reader
// checks the archive; names and offsets, which it does not keep, are taken
// from the directory records themselves.
#include "archive/archive.h"
#include "tools/packlib/packlib.h"
#include "tools/qzpack/common.h"
#include "tools/qzpack/verbs.h"

#include <algorithm>
#include <cstdio>

namespace {

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

int VerbList(const VerbArgs& args) {
  if (args.size() != 1) {
    return FailUsage("list");
  }
  std::string error;
  std::vector<uint8_t> file;
  if (!PackReadFile(args[0], file, error)) {
    return Fail(error);
  }
  if (!OpenArchiveOrFail(args[0])) {
    return 1;
  }
  // ArchiveOpen accepted the trailer and directory, so both lie in the file.
  const size_t trailer = file.size() - ArchiveTrailerBytes;
  const uint32_t count = ArchiveItemCount();
  const size_t archiveStart = file.size() - Get32(file, trailer + 8);
  const size_t directory = archiveStart + Get32(file, trailer + 4);
  struct Line {
    std::string name;
    uint32_t offset;
    uint32_t stored;
    std::string decoded;
  };
  std::vector<Line> lines;
  size_t nameWidth = 4;
  for (uint32_t k = 1; k <= count; k++) {
    const size_t record = directory + size_t{ArchiveRecordBytes} * (k - 1);
    const uint32_t nameLength = file[record] < ArchiveNameRoom ? file[record] : ArchiveNameRoom - 1;
    Line line;
    line.name.assign(reinterpret_cast<const char*>(&file[record + 1]), nameLength);
    line.offset = Get32(file, record + ArchiveNameRoom);
    line.stored = ArchiveStoredSize(k);
    uint8_t header[4] = {};
    uint32_t decoded = 0;
    const bool coded = line.stored >= CodedItemMinimum && ArchiveReadRawPart(k, header, sizeof header) &&
                       CodedOutputLength(header, line.stored, &decoded);
    line.decoded = coded ? std::to_string(decoded) : "-";
    nameWidth = std::max(nameWidth, line.name.size());
    lines.push_back(line);
  }
  const int width = static_cast<int>(nameWidth);
  std::printf("%5s  %-*s %10s %10s %10s\n", "index", width, "name", "offset", "stored", "decoded");
  for (size_t i = 0; i < lines.size(); i++) {
    const Line& line = lines[i];
    std::printf("%5zu  %-*s %10u %10u %10s\n", i + 1, width, line.name.c_str(), line.offset, line.stored,
                line.decoded.c_str());
  }
  ArchiveClose();
  return 0;
}
