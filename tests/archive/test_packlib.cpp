// The encoder and the archive writer, and archives they make read back by
// the system's own reader.
#include "archive/archive.h"
#include "tests/archive/archive_test_util.h"
#include "tests/fake/fake_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr char Program[] = "QZ_Quillwave2k.exe";

Bytes Content(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(PackEncode, WorkedExampleGivesTheFifteenBytes) {
  EXPECT_EQ(Encoded(Content("AAB")), (Bytes{0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x42, 0x41, 0x00,
                                             0x00, 0x01, 0x00, 0xC0}));
}

TEST(PackEncode, SingleValueStillGetsATwoLeafTree) {
  // The absent value joins as leaf 0 with count 0; each symbol is a 1 bit.
  EXPECT_EQ(Encoded(Content("xxxxx")), CodedItem(5, 1, 2, {0x00, 'x'}, {{0, 1}}, {0xF8}));
  EXPECT_EQ(Encoded(Bytes(9, 0)), CodedItem(9, 1, 2, {0x01, 0x00}, {{0, 1}}, {0xFF, 0x80}));
}

TEST(PackEncode, EmptyContentIsRefused) {
  Bytes coded;
  std::string error;
  EXPECT_FALSE(PackEncode({}, coded, error));
  EXPECT_FALSE(error.empty());
}

// Checks every rule of how the delivered items are built.
void ExpectBuiltByTheRules(const Bytes& content) {
  const Bytes item = Encoded(content);
  ASSERT_GE(item.size(), 8u);
  const uint32_t length = Get32(item, 0);
  const uint32_t last = item[4] | item[5] << 8;
  const uint32_t root = item[6] | item[7] << 8;
  EXPECT_EQ(length, content.size());
  EXPECT_EQ(root, 2 * last);
  uint64_t counts[256] = {};
  for (uint8_t b : content) {
    counts[b]++;
  }
  const size_t distinct = std::count_if(std::begin(counts), std::end(counts), [](uint64_t c) { return c > 0; });
  std::vector<uint64_t> weight(root + 1);
  for (uint32_t k = 0; k <= last; k++) {
    const uint8_t symbol = item[8 + k];
    weight[k] = counts[symbol];
    if (distinct > 1) {
      EXPECT_GT(weight[k], 0u) << "leaf " << k;  // exactly the values that occur
    }
    if (k > 0) {
      const uint8_t before = item[8 + k - 1];
      EXPECT_TRUE(weight[k - 1] < weight[k] || (weight[k - 1] == weight[k] && before < symbol)) << "leaf " << k;
    }
  }
  EXPECT_EQ(last + 1, std::max<size_t>(distinct, 2));
  for (uint32_t k = last + 1; k <= root; k++) {
    const size_t at = 9 + last + 4 * (k - last - 1);
    const uint32_t left = item[at] | item[at + 1] << 8;
    const uint32_t right = item[at + 2] | item[at + 3] << 8;
    ASSERT_LT(left, k);
    ASSERT_LT(right, k);
    EXPECT_LE(weight[left], weight[right]) << "node " << k;
    weight[k] = weight[left] + weight[right];
    if (k > last + 1) {
      EXPECT_LE(weight[k - 1], weight[k]) << "node " << k;
    }
  }
  EXPECT_EQ(weight[root], length);
}

TEST(PackEncode, TreesFollowTheConstructionRules) {
  ExpectBuiltByTheRules(Content("AAB"));
  ExpectBuiltByTheRules(Content("abcdabcdabcd"));  // ties everywhere
  ExpectBuiltByTheRules(Content("q"));
  ExpectBuiltByTheRules(SkewedBytes(20000, 11));
  ExpectBuiltByTheRules(SkewedBytes(3000, 12, 400));
  Bytes all;
  for (int v = 255; v >= 0; v--) {
    all.insert(all.end(), static_cast<size_t>(v % 5 + 1), static_cast<uint8_t>(v));
  }
  ExpectBuiltByTheRules(all);
}

TEST(PackItemName, LastCharacterOfTheExtensionBecomesATilde) {
  EXPECT_EQ(PackItemName("music.mp3"), "music.mp~");
  EXPECT_EQ(PackItemName("content/out/sky.pal"), "sky.pa~");
  EXPECT_EQ(PackItemName("a.b.c"), "a.b.~");
  EXPECT_EQ(PackItemName("noextension"), "noextension");
  EXPECT_EQ(PackItemName("trailing."), "trailing.");
  EXPECT_EQ(PackItemName(".hidden"), ".hidden");
}

TEST(PackBuildArchive, LaysOutImagePaddingSignatureItemsDirectoryTrailer) {
  const Bytes image(21, 0xCC);
  const std::vector<Bytes> stored = {Bytes(3, 1), Bytes(10, 2)};
  const Bytes file = ArchiveFile(image, stored);
  const size_t start = 32;  // 21 bytes padded to the next multiple of 16
  const size_t signature = sizeof ArchiveSignature - 1;
  ASSERT_EQ(file.size(), start + signature + 13 + 2 * ArchiveRecordBytes + ArchiveTrailerBytes);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 21), image);
  EXPECT_EQ(Bytes(file.begin() + 21, file.begin() + 32), Bytes(11, 0));
  EXPECT_EQ(std::memcmp(&file[start], "Orvalund DataFile V2.3\x1A", signature), 0);
  EXPECT_EQ(Bytes(file.begin() + start + signature, file.begin() + start + signature + 3), stored[0]);
  const size_t directory = start + signature + 13;
  EXPECT_EQ(file[directory], 9);  // "item1.da~"
  EXPECT_EQ(std::memcmp(&file[directory + 1], "item1.da~", 9), 0);
  EXPECT_EQ(file[directory + 10], 0);
  EXPECT_EQ(Get32(file, directory + 64), signature);
  EXPECT_EQ(Get32(file, directory + 68), 3u);
  EXPECT_EQ(Get32(file, directory + 72 + 64), signature + 3);
  const size_t trailer = file.size() - 12;
  EXPECT_EQ(Get32(file, trailer), 2u);
  EXPECT_EQ(Get32(file, trailer + 4), directory - start);
  EXPECT_EQ(Get32(file, trailer + 8), file.size() - start);
  EXPECT_EQ(ArchiveFile(Bytes(32, 1), stored).size(), file.size());
}

TEST(PackBuildArchive, RefusesWhatTheReaderCannotHold) {
  Bytes file;
  std::string error;
  EXPECT_FALSE(PackBuildArchive({}, {}, file, error));
  std::vector<PackItem> items(33, PackItem{"x.da~", Bytes(1, 0)});
  EXPECT_FALSE(PackBuildArchive({}, items, file, error));
  EXPECT_NE(error.find("33"), std::string::npos);
  items.resize(32);
  EXPECT_TRUE(PackBuildArchive({}, items, file, error));
  items[4].name.assign(64, 'n');
  EXPECT_FALSE(PackBuildArchive({}, items, file, error));
  items[4].name.assign(63, 'n');
  EXPECT_TRUE(PackBuildArchive({}, items, file, error));
}

TEST(PackRoundTrip, ArchivesReadBackItemForItemWhateverTheImage) {
  // Contents shaped like the delivered ones: palettes, pictures, a stream.
  std::vector<Bytes> contents = {SkewedBytes(1024, 1, 256), SkewedBytes(76800, 2, 30), SkewedBytes(300001, 3),
                                 Content("A"),              Bytes(4096, 0x11),          SkewedBytes(1025, 4, 3)};
  std::vector<Bytes> coded;
  for (const Bytes& c : contents) {
    coded.push_back(Encoded(c));
  }
  for (size_t imageSize : {0, 1, 2, 15, 16, 17, 1023, 1024, 1025, 100003}) {
    SCOPED_TRACE(imageSize);
    FakeReset();
    const Bytes file = ArchiveFile(SkewedBytes(imageSize, imageSize), coded);
    FakeFileAdd(Program, file.data(), file.size());
    ASSERT_TRUE(ArchiveOpen(Program));
    ASSERT_EQ(ArchiveItemCount(), contents.size());
    for (uint32_t k = 1; k <= contents.size(); k++) {
      Bytes dest(contents[k - 1].size() + 1, 0xEE);
      ASSERT_TRUE(ArchiveReadCoded(k, dest.data(), static_cast<uint32_t>(contents[k - 1].size()))) << k;
      EXPECT_EQ(dest.back(), 0xEE);
      dest.pop_back();
      EXPECT_EQ(dest, contents[k - 1]) << k;
    }
    ArchiveClose();
  }
}

}  // namespace
