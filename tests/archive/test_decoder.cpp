// Decoding coded items: from memory and through the archive's block reader.
#include "archive/archive.h"
#include "tests/archive/archive_test_util.h"
#include "tests/archive/reference_decoder.h"
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr char Program[] = "QZ_Quillwave2k.exe";
constexpr uint8_t Untouched = 0xEE;
const Bytes WorkedExample = {0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00,
                             0x42, 0x41, 0x00, 0x00, 0x01, 0x00, 0xC0};

// Bits written as '0' and '1', most significant first, padded with zeros.
Bytes Bits(const std::string& bits) {
  Bytes b((bits.size() + 7) / 8, 0);
  for (size_t i = 0; i < bits.size(); i++) {
    if (bits[i] == '1') {
      b[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    }
  }
  return b;
}

// Decodes from memory into a buffer of `room` bytes followed by sentinels;
// returns the result and the whole buffer.
std::pair<bool, Bytes> Decode(const Bytes& item, uint32_t room, size_t slack = 16) {
  Bytes dest(room + slack, Untouched);
  const bool ok = ArchiveDecodeMemory(item.data(), static_cast<uint32_t>(item.size()), dest.data(), room);
  return {ok, dest};
}

Bytes Content(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(DecodeMemory, WorkedExample) {
  auto [ok, dest] = Decode(WorkedExample, 3);
  ASSERT_TRUE(ok);
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 3), Content("AAB"));
  EXPECT_EQ(dest[3], Untouched);
}

TEST(DecodeMemory, TwoLeafTreeTakesEveryBitAsOneSymbol) {
  auto [ok, dest] = Decode(TwoLeafItem(16, 'z', 'o', {0xA5, 0x0F}), 16);
  ASSERT_TRUE(ok);
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 16), Content("ozozzozozzzzoooo"));
}

// Codes a=0, b=10, c=110, d=111: leaves 0..3, node 4 = (2, 3), node 5 =
// (1, 4), root 6 = (0, 5).
Bytes FourLeafItem(uint32_t length, const Bytes& stream) {
  return CodedItem(length, 3, 6, Content("abcd"), {{2, 3}, {1, 4}, {0, 5}}, stream);
}

TEST(DecodeMemory, CodesCrossingByteBoundariesDecodeAsWithinOneByte) {
  // d d d c b a b: 111 111 111 110 10 0 10 -> the third d and the c cross.
  auto [ok, dest] = Decode(FourLeafItem(7, Bits("111111111110100" "10")), 7);
  ASSERT_TRUE(ok);
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 7), Content("dddcbab"));
}

TEST(DecodeMemory, BitsAfterTheLastCodeAreIgnored) {
  Bytes item = WorkedExample;
  item.back() = 0xDF;  // 110 then 11111: the tail is not read
  auto [ok, dest] = Decode(item, 3);
  ASSERT_TRUE(ok);
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 3), Content("AAB"));
  EXPECT_EQ(dest[3], Untouched);
}

TEST(DecodeMemory, TreeOverAllByteValuesFitsTheNodeTable) {
  Bytes content;
  for (uint32_t v = 0; v < 256; v++) {
    content.insert(content.end(), 1 + (v * 7) % 50, static_cast<uint8_t>(v));
  }
  const Bytes item = Encoded(content);
  ASSERT_EQ(Get32(item, 4), 255u | 510u << 16);  // L = 255, N = 510
  auto [ok, dest] = Decode(item, static_cast<uint32_t>(content.size()));
  ASSERT_TRUE(ok);
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + content.size()), content);
}

TEST(DecodeMemory, CodesLongerThanTheLookupTableDecode) {
  // Fibonacci counts give a chain-shaped tree with codes of up to 24 bits.
  Bytes content;
  uint32_t a = 1;
  uint32_t b = 1;
  for (uint32_t v = 0; v < 25; v++) {
    content.insert(content.end(), a, static_cast<uint8_t>('A' + v));
    const uint32_t next = a + b;
    a = b;
    b = next;
  }
  TestRandom r{99};
  for (size_t i = content.size() - 1; i > 0; i--) {
    std::swap(content[i], content[r.Below(static_cast<uint32_t>(i + 1))]);
  }
  auto [ok, dest] = Decode(Encoded(content), static_cast<uint32_t>(content.size()));
  ASSERT_TRUE(ok);
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + content.size()), content);
}

TEST(DecodeMemory, ChildNotListedIsALeafOfSymbolZero) {
  // Node 2's right child, 300, is neither a leaf nor an inner node.
  auto [ok, dest] = Decode(CodedItem(4, 1, 2, {'x', 'y'}, {{0, 300}}, Bits("0101")), 4);
  ASSERT_TRUE(ok);
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 4), (Bytes{'x', 0, 'x', 0}));
}

TEST(DecodeMemory, DecodingTwiceGivesTheSameBytes) {
  const Bytes content = SkewedBytes(5000, 3);
  const Bytes item = Encoded(content);
  auto first = Decode(item, 5000);
  Decode(FourLeafItem(7, Bits("111111111110100" "10")), 7);
  auto second = Decode(item, 5000);
  ASSERT_TRUE(first.first);
  ASSERT_TRUE(second.first);
  EXPECT_EQ(first.second, second.second);
  EXPECT_EQ(Bytes(first.second.begin(), first.second.begin() + 5000), content);
}

TEST(DecodeMemory, MalformedItemsAreRefusedWithinTheirBounds) {
  struct Case {
    const char* name;
    Bytes item;
    uint32_t room;
  };
  std::vector<Case> cases = {
      {"L = 256", CodedItem(1, 256, 257, Bytes(257, 1), {{0, 1}}, {0}), 8},
      {"L = 65535", CodedItem(1, 0xFFFF, 0xFFFF, Bytes(300, 1), {}, {0}), 8},
      {"N = 512", CodedItem(1, 1, 512, {1, 2}, {{0, 1}}, {0}), 8},
      {"N = L", CodedItem(1, 1, 1, {1, 2}, {{0, 1}}, {0}), 8},
      {"N below L", CodedItem(1, 5, 2, Content("abcdef"), {{0, 1}}, {0}), 8},
      {"left child 512", CodedItem(1, 1, 2, {1, 2}, {{512, 1}}, {0}), 8},
      {"right child 512", CodedItem(1, 1, 2, {1, 2}, {{0, 512}}, {0}), 8},
      {"child 0xFFFF", CodedItem(1, 1, 2, {1, 2}, {{0xFFFF, 1}}, {0}), 8},
      {"bad child deep in the tree", CodedItem(1, 3, 6, Content("abcd"), {{2, 3}, {1, 4}, {0, 600}}, {0}), 8},
      {"output length 0", TwoLeafItem(0, 1, 2, {0xFF}), 8},
      {"output larger than the room", TwoLeafItem(9, 1, 2, {0xFF, 0xFF}), 8},
      {"output length 2^32-1", TwoLeafItem(0xFFFFFFFF, 1, 2, {0xFF}), 8},
      {"stream ends early", TwoLeafItem(9, 1, 2, {0xFF}), 16},
      {"no stream at all", TwoLeafItem(1, 1, 2, {}), 16},
      {"code left unfinished", FourLeafItem(3, Bits("11111111")), 16},
  };
  for (size_t cut = 0; cut < WorkedExample.size(); cut++) {
    cases.push_back({"worked example cut short", Bytes(WorkedExample.begin(), WorkedExample.begin() + cut), 8});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto [ok, dest] = Decode(c.item, c.room);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Bytes(dest.begin() + c.room, dest.end()), Bytes(dest.size() - c.room, Untouched));
    Bytes reference(c.room + 16, Untouched);
    EXPECT_FALSE(ReferenceDecode(c.item.data(), static_cast<uint32_t>(c.item.size()), reference.data(), c.room));
    EXPECT_EQ(dest, reference);
  }
  Bytes dest(8, Untouched);
  EXPECT_FALSE(ArchiveDecodeMemory(nullptr, 15, dest.data(), 8));
  EXPECT_FALSE(ArchiveDecodeMemory(WorkedExample.data(), 15, nullptr, 8));
}

// A random item: sometimes a proper tree built by random merges, sometimes
// children pointing anywhere (cycles, unlisted nodes, out of range), random
// stream and length, sometimes cut short.
Bytes RandomItem(TestRandom& r, uint32_t* room) {
  const uint32_t mode = r.Below(4);
  uint32_t last = r.Below(4) == 0 ? r.Below(256) : r.Below(16);
  if (r.Below(50) == 0) {
    last = 256 + r.Below(8);
  }
  Bytes leaves(last + 1);
  for (uint8_t& s : leaves) {
    s = static_cast<uint8_t>(r.Next());
  }
  std::vector<std::pair<uint32_t, uint32_t>> inner;
  uint32_t root = 0;
  if (mode < 2) {
    std::vector<uint32_t> pool;
    for (uint32_t k = 0; k <= last; k++) {
      pool.push_back(k);
    }
    uint32_t next = last + 1;
    while (pool.size() > 1) {
      auto takeOne = [&]() {
        const uint32_t i = r.Below(static_cast<uint32_t>(pool.size()));
        const uint32_t node = pool[i];
        pool.erase(pool.begin() + i);
        return node;
      };
      const uint32_t left = takeOne();
      const uint32_t right = takeOne();
      inner.push_back({left, right});
      pool.push_back(next++);
    }
    root = next - 1;
  } else {
    root = last + 1 + r.Below(r.Below(8) == 0 ? 300 : 20);
    const uint32_t reach = mode == 2 ? root + 1 : 520;
    for (uint32_t k = last + 1; k <= root; k++) {
      inner.push_back({r.Below(reach), r.Below(reach)});
    }
  }
  Bytes stream(r.Below(8) == 0 ? r.Below(2000) : r.Below(64));
  for (uint8_t& s : stream) {
    s = static_cast<uint8_t>(r.Next());
  }
  const uint32_t length = r.Below(20) == 0 ? 0 : 1 + r.Below(static_cast<uint32_t>(stream.size()) * 3 + 1);
  Bytes item = CodedItem(length, last, root, leaves, inner, stream);
  if (r.Below(10) == 0) {
    item.resize(r.Below(static_cast<uint32_t>(item.size()) + 1));
  }
  *room = length + (r.Below(4) == 0 ? r.Below(3) : 0);
  if (*room > 0 && r.Below(10) == 0) {
    *room -= 1;
  }
  return item;
}

TEST(DecodeMemory, MatchesTheBitByBitTreeWalk) {
  TestRandom r{12345};
  int decoded = 0;
  for (int i = 0; i < 20000; i++) {
    uint32_t room = 0;
    const Bytes item = RandomItem(r, &room);
    Bytes fast(room + 16, Untouched);
    Bytes plain(room + 16, Untouched);
    const bool fastOk = ArchiveDecodeMemory(item.data(), static_cast<uint32_t>(item.size()), fast.data(), room);
    const bool plainOk = ReferenceDecode(item.data(), static_cast<uint32_t>(item.size()), plain.data(), room);
    ASSERT_EQ(fastOk, plainOk) << "case " << i;
    ASSERT_EQ(fast, plain) << "case " << i;
    decoded += fastOk ? 1 : 0;
  }
  // Both outcomes must be well represented for the comparison to mean much.
  EXPECT_GT(decoded, 4000);
  EXPECT_LT(decoded, 16000);
}

TEST(DecodeMemory, EncodedContentRoundTrips) {
  TestRandom r{777};
  for (int i = 0; i < 200; i++) {
    const size_t size = 1 + r.Below(i % 10 == 0 ? 100000 : 3000);
    const Bytes content = SkewedBytes(size, r.Next(), 2 + r.Below(300));
    auto [ok, dest] = Decode(Encoded(content), static_cast<uint32_t>(size));
    ASSERT_TRUE(ok) << "case " << i;
    ASSERT_EQ(Bytes(dest.begin(), dest.begin() + size), content) << "case " << i;
    ASSERT_EQ(dest[size], Untouched);
  }
}

// --- through the archive -------------------------------------------------

class ReadCoded : public ::testing::Test {
 protected:
  void SetUp() override { FakeReset(); }
  void TearDown() override { ArchiveClose(); }

  void OpenItems(const std::vector<Bytes>& items, const Bytes& image = Bytes(100, 0x4D)) {
    const Bytes file = ArchiveFile(image, items);
    FakeFileAdd(Program, file.data(), file.size());
    ASSERT_TRUE(ArchiveOpen(Program));
    opened = FakeCallCount();
  }

  // Sizes of the file reads made since the archive was opened.
  std::vector<int64_t> ReadsSinceOpen() const {
    std::vector<int64_t> sizes;
    for (size_t i = FakeFind("FileRead", opened); i < FakeCallCount(); i = FakeFind("FileRead", i + 1)) {
      sizes.push_back(FakeArgsAt<FakeFileReadCall>(i).count);
    }
    return sizes;
  }

  size_t opened = 0;
};

TEST_F(ReadCoded, WorkedExampleBehindAProgramImage) {
  OpenItems({Bytes(7, 1), WorkedExample});
  Bytes dest(4, Untouched);
  ASSERT_TRUE(ArchiveReadCoded(2, dest.data(), 3));
  EXPECT_EQ(dest, (Bytes{'A', 'A', 'B', Untouched}));
}

TEST_F(ReadCoded, StoredBytesAreFetchedInBlocksAndNeverPastTheItem) {
  // Two-leaf items: 14 bytes of header and tree, then one symbol per bit.
  for (uint32_t stored : {2048u, 2049u, 15u, 1024u}) {
    SCOPED_TRACE(stored);
    FakeReset();
    const uint32_t streamBytes = stored - 14;
    Bytes stream(streamBytes);
    TestRandom r{stored};
    for (uint8_t& s : stream) {
      s = static_cast<uint8_t>(r.Next());
    }
    const uint32_t length = streamBytes * 8;
    const Bytes item = TwoLeafItem(length, 'a', 'b', stream);
    ASSERT_EQ(item.size(), stored);
    OpenItems({item, Bytes(3000, 0x77)});
    Bytes dest(length + 1, Untouched);
    ASSERT_TRUE(ArchiveReadCoded(1, dest.data(), length));
    for (uint32_t i = 0; i < length; i++) {
      ASSERT_EQ(dest[i], ((stream[i / 8] >> (7 - i % 8)) & 1) != 0 ? 'b' : 'a') << i;
    }
    EXPECT_EQ(dest[length], Untouched);
    std::vector<int64_t> expected(stored / 1024, 1024);
    if (stored % 1024 != 0) {
      expected.push_back(stored % 1024);
    }
    EXPECT_EQ(ReadsSinceOpen(), expected);
  }
}

TEST_F(ReadCoded, IndexOutOfRangeIsRefused) {
  OpenItems({WorkedExample, WorkedExample});
  Bytes dest(8, Untouched);
  EXPECT_FALSE(ArchiveReadCoded(0, dest.data(), 8));
  EXPECT_FALSE(ArchiveReadCoded(3, dest.data(), 8));
  EXPECT_TRUE(ReadsSinceOpen().empty());
  ArchiveClose();
  EXPECT_FALSE(ArchiveReadCoded(1, dest.data(), 8));
  EXPECT_EQ(dest, Bytes(8, Untouched));
}

TEST_F(ReadCoded, StreamEndingInsideTheItemIsRefusedWithoutReadingOn) {
  // The next item's bytes would complete the stream if they were read.
  OpenItems({TwoLeafItem(2000, 'a', 'b', Bytes(200, 0xFF)), Bytes(5000, 0xFF)});
  Bytes dest(2000, Untouched);
  EXPECT_FALSE(ArchiveReadCoded(1, dest.data(), 2000));
  EXPECT_EQ(ReadsSinceOpen(), (std::vector<int64_t>{214}));
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 1600), Bytes(1600, 'b'));
  EXPECT_EQ(Bytes(dest.begin() + 1600, dest.end()), Bytes(400, Untouched));
}

TEST_F(ReadCoded, ShortReadIsRefused) {
  const Bytes content = SkewedBytes(10000, 5);
  const Bytes item = Encoded(content);
  FakeFileLimitReads(ArchiveTrailerBytes + ArchiveRecordBytes + 1500);
  OpenItems({item});
  Bytes dest(content.size(), Untouched);
  EXPECT_FALSE(ArchiveReadCoded(1, dest.data(), static_cast<uint32_t>(dest.size())));
}

TEST_F(ReadCoded, OutputLargerThanTheRoomIsRefusedBeforeWriting) {
  OpenItems({WorkedExample});
  Bytes dest(3, Untouched);
  EXPECT_FALSE(ArchiveReadCoded(1, dest.data(), 2));
  EXPECT_EQ(dest, Bytes(3, Untouched));
}

TEST_F(ReadCoded, MatchesTheMemoryDecodeOnRandomItems) {
  TestRandom r{4242};
  for (int i = 0; i < 300; i++) {
    uint32_t room = 0;
    Bytes item = RandomItem(r, &room);
    if (i % 3 == 0) {
      // Items of a few blocks, well formed and otherwise.
      item = Encoded(SkewedBytes(1 + r.Below(9000), r.Next()));
      room = Get32(item, 0) - (r.Below(8) == 0 ? 1 : 0);
      if (r.Below(4) == 0) {
        item.resize(item.size() - 1 - r.Below(static_cast<uint32_t>(item.size() / 2)));
      }
    }
    FakeReset();
    OpenItems({Bytes(1, 0), item, Bytes(40, 0xFF)});
    Bytes fromFile(room + 16, Untouched);
    Bytes fromMemory(room + 16, Untouched);
    const bool fileOk = ArchiveReadCoded(2, fromFile.data(), room);
    const bool memoryOk = ArchiveDecodeMemory(item.data(), static_cast<uint32_t>(item.size()), fromMemory.data(), room);
    ASSERT_EQ(fileOk, memoryOk) << "case " << i;
    ASSERT_EQ(fromFile, fromMemory) << "case " << i;
    ArchiveClose();
  }
}

}  // namespace
