// Opening the archive from the end of the file, its directory and raw reads.
#include "archive/archive.h"
#include "tests/archive/archive_test_util.h"
#include "tests/fake/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

constexpr char Program[] = "QZ_Quillwave2k.exe";
constexpr uint8_t Untouched = 0xEE;

// Stored bytes for raw reads: they need not be coded.
std::vector<Bytes> SampleItems() { return {Bytes(5, 0xA1), SkewedBytes(1000, 7), Bytes(1, 0x07)}; }

class Directory : public ::testing::Test {
 protected:
  void SetUp() override { FakeReset(); }
  void TearDown() override { ArchiveClose(); }

  bool Open(const Bytes& file) {
    FakeFileAdd(Program, file.data(), file.size());
    return ArchiveOpen(Program);
  }
};

// Position of the trailer and of directory record k (1-based) in `file`.
size_t TrailerAt(const Bytes& file) { return file.size() - ArchiveTrailerBytes; }
size_t RecordAt(const Bytes& file, uint32_t k) {
  const size_t start = file.size() - Get32(file, TrailerAt(file) + 8);
  return start + Get32(file, TrailerAt(file) + 4) + ArchiveRecordBytes * (k - 1);
}

TEST_F(Directory, ImageAndPaddingOfAnySizeYieldTheSameItems) {
  const std::vector<Bytes> items = SampleItems();
  for (size_t imageSize : {0, 1, 15, 16, 17, 4095, 70001}) {
    for (size_t extraPadding : {0, 3, 1024}) {
      Bytes image = SkewedBytes(imageSize, imageSize + 1);
      image.insert(image.end(), extraPadding, 0);
      SCOPED_TRACE(testing::Message() << "image " << imageSize << " padding " << extraPadding);
      FakeReset();
      ASSERT_TRUE(Open(ArchiveFile(image, items)));
      ASSERT_EQ(ArchiveItemCount(), items.size());
      for (uint32_t k = 1; k <= items.size(); k++) {
        EXPECT_EQ(ArchiveStoredSize(k), items[k - 1].size());
        Bytes got(items[k - 1].size());
        ASSERT_TRUE(ArchiveReadRaw(k, got.data()));
        EXPECT_EQ(got, items[k - 1]);
      }
      ArchiveClose();
    }
  }
}

TEST_F(Directory, IndexRunsFromOneToTheItemCount) {
  const std::vector<Bytes> items = SampleItems();
  ASSERT_TRUE(Open(ArchiveFile({}, items)));
  Bytes last(1, Untouched);
  EXPECT_TRUE(ArchiveReadRaw(3, last.data()));
  EXPECT_EQ(last, items[2]);

  const size_t readsBefore = FakeCount("FileRead");
  Bytes dest(16, Untouched);
  for (uint32_t index : {0u, 4u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(ArchiveReadRaw(index, dest.data())) << index;
    EXPECT_FALSE(ArchiveReadRawPart(index, dest.data(), 2)) << index;
    EXPECT_EQ(ArchiveStoredSize(index), 0u) << index;
  }
  EXPECT_EQ(dest, Bytes(16, Untouched));
  EXPECT_EQ(FakeCount("FileRead"), readsBefore);
}

TEST_F(Directory, RawPartCopiesTheAskedLength) {
  const std::vector<Bytes> items = SampleItems();
  const Bytes file = ArchiveFile(Bytes(33, 0x5A), items);
  ASSERT_TRUE(Open(file));
  const size_t item2At = file.size() - Get32(file, TrailerAt(file) + 8) + Get32(file, RecordAt(file, 2) + 64);

  Bytes dest(1100, Untouched);
  ASSERT_TRUE(ArchiveReadRawPart(2, dest.data(), 0));
  EXPECT_TRUE(std::equal(items[1].begin(), items[1].end(), dest.begin()));
  EXPECT_EQ(dest[1000], Untouched);

  dest.assign(1100, Untouched);
  ASSERT_TRUE(ArchiveReadRawPart(2, dest.data(), 3));
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 3), Bytes(items[1].begin(), items[1].begin() + 3));
  EXPECT_EQ(dest[3], Untouched);

  // A length beyond the item reads on into what follows it in the file.
  dest.assign(1100, Untouched);
  ASSERT_TRUE(ArchiveReadRawPart(2, dest.data(), 1010));
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 1010), Bytes(file.begin() + item2At, file.begin() + item2At + 1010));

  // Up to the end of the file, but never past it.
  const uint32_t toEnd = static_cast<uint32_t>(file.size() - item2At);
  Bytes all(toEnd + 1, Untouched);
  ASSERT_TRUE(ArchiveReadRawPart(2, all.data(), toEnd));
  EXPECT_EQ(Bytes(all.begin(), all.end() - 1), Bytes(file.begin() + item2At, file.end()));
  all.assign(toEnd + 1, Untouched);
  EXPECT_FALSE(ArchiveReadRawPart(2, all.data(), toEnd + 1));
  EXPECT_EQ(all, Bytes(toEnd + 1, Untouched));
}

TEST_F(Directory, NamesChangeNothing) {
  const std::vector<Bytes> items = SampleItems();
  Bytes file = ArchiveFile({}, items);
  // Empty, full-length and garbage names.
  std::memset(&file[RecordAt(file, 1)], 0, ArchiveNameRoom);
  file[RecordAt(file, 2)] = 63;
  std::memset(&file[RecordAt(file, 2) + 1], 'n', 63);
  std::memset(&file[RecordAt(file, 3)], 0xFF, ArchiveNameRoom);
  ASSERT_TRUE(Open(file));
  for (uint32_t k = 1; k <= items.size(); k++) {
    Bytes got(items[k - 1].size());
    ASSERT_TRUE(ArchiveReadRaw(k, got.data()));
    EXPECT_EQ(got, items[k - 1]);
  }
}

TEST_F(Directory, ReopeningYieldsTheSameTableAndNeverLeaksAHandle) {
  const std::vector<Bytes> items = SampleItems();
  ASSERT_TRUE(Open(ArchiveFile({}, items)));
  std::vector<uint32_t> sizes;
  for (uint32_t k = 1; k <= 3; k++) {
    sizes.push_back(ArchiveStoredSize(k));
  }
  ArchiveClose();
  EXPECT_EQ(FakeFileOpenCount(), 0);
  EXPECT_EQ(ArchiveItemCount(), 0u);
  Bytes dest(8, Untouched);
  EXPECT_FALSE(ArchiveReadRaw(1, dest.data()));

  ASSERT_TRUE(ArchiveOpen(Program));
  for (uint32_t k = 1; k <= 3; k++) {
    EXPECT_EQ(ArchiveStoredSize(k), sizes[k - 1]);
  }
  // Opening again while open closes the first handle.
  ASSERT_TRUE(ArchiveOpen(Program));
  EXPECT_EQ(FakeFileOpenCount(), 1);
  ArchiveClose();
  EXPECT_EQ(FakeFileOpenCount(), 0);
}

TEST_F(Directory, MissingFileLeavesNothingReadable) {
  ASSERT_TRUE(Open(ArchiveFile({}, SampleItems())));
  EXPECT_FALSE(ArchiveOpen("renamed.exe"));
  EXPECT_EQ(FakeFileOpenCount(), 0);
  EXPECT_EQ(ArchiveItemCount(), 0u);
  Bytes dest(8, Untouched);
  EXPECT_FALSE(ArchiveReadRaw(1, dest.data()));
  EXPECT_FALSE(ArchiveReadCoded(1, dest.data(), 8));
  EXPECT_EQ(dest, Bytes(8, Untouched));
}

TEST_F(Directory, ThirtyTwoItemsFitAndGapsBeforeTheTrailerAreTolerated) {
  std::vector<Bytes> items;
  for (uint32_t k = 0; k < ArchiveItemRoom; k++) {
    items.push_back(Bytes(k + 1, static_cast<uint8_t>(k)));
  }
  ASSERT_TRUE(Open(ArchiveFile({}, items)));
  EXPECT_EQ(ArchiveItemCount(), 32u);
  Bytes got(32);
  ASSERT_TRUE(ArchiveReadRaw(32, got.data()));
  EXPECT_EQ(got, items[31]);

  // The trailer's sum is not required: a directory that ends before the
  // trailer still lies inside the archive.
  Bytes file = ArchiveFile({}, SampleItems());
  Bytes trailer(file.end() - ArchiveTrailerBytes, file.end());
  file.resize(file.size() - ArchiveTrailerBytes);
  file.insert(file.end(), 5, 0);
  Set32(trailer, 8, Get32(trailer, 8) + 5);
  file.insert(file.end(), trailer.begin(), trailer.end());
  FakeReset();
  ASSERT_TRUE(Open(file));
  EXPECT_EQ(ArchiveItemCount(), 3u);
}

TEST_F(Directory, UnusableDirectoriesAreRefused) {
  const Bytes good = ArchiveFile(Bytes(40, 0x90), SampleItems());
  const size_t t = TrailerAt(good);
  const uint32_t length = Get32(good, t + 8);
  const uint32_t directory = Get32(good, t + 4);
  struct Case {
    const char* name;
    std::function<void(Bytes&)> spoil;
    uint64_t readLimit;
  };
  const Case cases[] = {
      {"item count 0", [&](Bytes& f) { Set32(f, t, 0); }, UINT64_MAX},
      {"item count 33", [&](Bytes& f) { Set32(f, t, 33); }, UINT64_MAX},
      {"item count 2^32-1", [&](Bytes& f) { Set32(f, t, 0xFFFFFFFF); }, UINT64_MAX},
      {"count past the directory", [&](Bytes& f) { Set32(f, t, 4); }, UINT64_MAX},
      {"archive longer than the file", [&](Bytes& f) { Set32(f, t + 8, static_cast<uint32_t>(f.size() + 1)); },
       UINT64_MAX},
      {"archive length 0", [&](Bytes& f) { Set32(f, t + 8, 0); }, UINT64_MAX},
      {"archive length 2 GiB", [&](Bytes& f) { Set32(f, t + 8, 0x80000000); }, UINT64_MAX},
      {"archive length 4 GiB - 1", [&](Bytes& f) { Set32(f, t + 8, 0xFFFFFFFF); }, UINT64_MAX},
      {"directory past the trailer", [&](Bytes& f) { Set32(f, t + 4, length); }, UINT64_MAX},
      {"directory offset wraps", [&](Bytes& f) { Set32(f, t + 4, 0xFFFFFFF0); }, UINT64_MAX},
      {"directory into the trailer", [&](Bytes& f) { Set32(f, t + 4, directory + 1); }, UINT64_MAX},
      {"item runs into the directory", [&](Bytes& f) { Set32(f, RecordAt(f, 3) + 68, 2); }, UINT64_MAX},
      {"item offset past the file", [&](Bytes& f) { Set32(f, RecordAt(f, 1) + 64, 0xFFFFFFFF); }, UINT64_MAX},
      {"item size 4 GiB - 1", [&](Bytes& f) { Set32(f, RecordAt(f, 2) + 68, 0xFFFFFFFF); }, UINT64_MAX},
      {"file shorter than a trailer", [&](Bytes& f) { f.assign(f.end() - 11, f.end()); }, UINT64_MAX},
      {"empty file", [&](Bytes& f) { f.clear(); }, UINT64_MAX},
      {"short read of the trailer", [&](Bytes&) {}, 11},
      {"short read of a record", [&](Bytes&) {}, ArchiveTrailerBytes + ArchiveRecordBytes + 71},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeReset();
    Bytes file = good;
    c.spoil(file);
    FakeFileLimitReads(c.readLimit);
    EXPECT_FALSE(Open(file));
    EXPECT_EQ(ArchiveItemCount(), 0u);
    Bytes dest(64, Untouched);
    EXPECT_FALSE(ArchiveReadRaw(1, dest.data()));
    EXPECT_FALSE(ArchiveReadRawPart(1, dest.data(), 4));
    EXPECT_FALSE(ArchiveReadCoded(1, dest.data(), 64));
    EXPECT_EQ(dest, Bytes(64, Untouched));
    // A refused directory leaves the file open until ArchiveClose.
    EXPECT_EQ(FakeFileOpenCount(), 1);
    ArchiveClose();
    EXPECT_EQ(FakeFileOpenCount(), 0);
  }
}

TEST_F(Directory, ShortReadOfAnItemIsReported) {
  FakeFileLimitReads(ArchiveTrailerBytes + 3 * ArchiveRecordBytes + 500);
  ASSERT_TRUE(Open(ArchiveFile({}, SampleItems())));
  Bytes dest(1000, Untouched);
  EXPECT_FALSE(ArchiveReadRaw(2, dest.data()));
}

}  // namespace
