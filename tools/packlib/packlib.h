// Making archives: Huffman-coding an item the way the delivered items are
// coded, naming items for the directory, and laying out a program file with
// the archive behind its image. Used by qzpack and the content build; the
// system reads the result back with ArchiveOpen and ArchiveReadCoded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The program image is padded with zero bytes to a multiple of this before
// the archive begins (0 to 15 bytes). The reader never depends on it.
constexpr size_t PackImageAlignment = 16;

// Codes `content` as one item: the header, the tree and the bit stream. The
// leaves are the byte values that occur, by ascending count, ties by
// ascending value; inner nodes follow in merge order, the lighter (on a tie,
// the lower-numbered) node on the left, so N = 2 x L. Content with a single
// distinct value gets a second leaf of count 0 (the lowest value that does
// not occur), so the root is still an inner node. False, with `error` set,
// for empty content or content of 4 GiB or more.
bool PackEncode(const std::vector<uint8_t>& content, std::vector<uint8_t>& coded, std::string& error);

// The directory name of an item file: its file name without folders, with
// the last character of its extension replaced by '~' ("sky.pal" gives
// "sky.pa~"); a name without an extension is kept as it is.
std::string PackItemName(const std::string& path);

struct PackItem {
  std::string name;             // directory name, at most 63 characters
  std::vector<uint8_t> stored;  // the item's stored (coded) bytes
};

// Lays out a program file: `image`, zero padding, the signature, the items'
// stored bytes back to back, the directory and the trailer. False, with
// `error` set, for no items, more than 32, a name of 64 characters or more,
// or an archive of 2 GiB or more.
bool PackBuildArchive(const std::vector<uint8_t>& image, const std::vector<PackItem>& items,
                      std::vector<uint8_t>& file, std::string& error);

// Whole-file reads and writes; false with `error` naming the file.
bool PackReadFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
bool PackWriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
