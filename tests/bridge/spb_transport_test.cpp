// The SPB transport against the recording fake: enumeration of both descriptor layouts and its
// bounds, the connection table, opening a connection, and the transfer lists byte for byte.
#include "bridge/spb_transport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/bridge/recording_platform_ops.h"

namespace {

using bridge::I2cConnection;
using bridge::I2cConnectionTable;
using bridge::SpbTransport;
using bridge::TransferRequest;
using bridge_test::I2cDescriptor;
using bridge_test::QueryAnswer;
using bridge_test::RecordingPlatformOps;
using bridge_test::Wow64;

class SpbTransportTest : public ::testing::Test {
 protected:
  RecordingPlatformOps ops;
  SpbTransport transport{ops};

  // Enumerates one new-layout connection at `id` and opens it.
  void OpenOne(std::uint32_t id = 3) {
    ops.answers[id] = I2cDescriptor(true, 0x66, "\\_SB.I2C1");
    ASSERT_TRUE(transport.EnumerateConnections());
    ASSERT_TRUE(transport.OpenI2cDevice("\\_SB.I2C1", 0x66));
  }
};

// ---- enumeration ----

struct LayoutCase {
  std::uint32_t build;
  bool descriptorNewLayout;
  bool accepted;
};

class DescriptorLayoutTest : public SpbTransportTest,
                             public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(DescriptorLayoutTest, BuildNumberSelectsTheDescriptorOffsets) {
  const LayoutCase& c = GetParam();
  ops.buildNumber = c.build;
  ops.answers[5] = I2cDescriptor(c.descriptorNewLayout, 0x66, "\\_SB.PCI0.I2C1");
  ASSERT_TRUE(transport.EnumerateConnections());
  ASSERT_EQ(transport.Table().Count(), c.accepted ? 1 : 0);
  if (c.accepted) {
    const I2cConnection& entry = transport.Table()[0];
    EXPECT_EQ(entry.idLow, 5u);
    EXPECT_EQ(entry.idHigh, 0u);
    EXPECT_EQ(entry.slaveAddress, 0x66);
    EXPECT_STREQ(entry.resourcePath, "\\_SB.PCI0.I2C1");
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, DescriptorLayoutTest,
                         ::testing::Values(LayoutCase{8148, false, true},
                                           LayoutCase{8148, true, false},
                                           LayoutCase{8149, true, true},
                                           LayoutCase{8149, false, false}));

TEST_F(SpbTransportTest, EnumerationQueriesIdsZeroTo127OnTheHub) {
  ops.answers[127] = I2cDescriptor(true, 0x66, "\\_SB.I2C1");
  ops.answers[128] = I2cDescriptor(true, 0x67, "\\_SB.I2C1");
  ASSERT_TRUE(transport.EnumerateConnections());

  EXPECT_EQ(ops.versionSize, 276u);
  ASSERT_EQ(ops.creates.size(), 1u);
  EXPECT_EQ(ops.creates[0].name, "\\\\.\\RESOURCE_HUB");
  EXPECT_EQ(ops.creates[0].access, kHubGenericRead | kHubGenericWrite);
  EXPECT_EQ(ops.creates[0].share, 0u);
  EXPECT_EQ(ops.creates[0].disposition, kHubOpenExisting);
  ASSERT_EQ(ops.queries.size(), 128u);
  for (std::uint32_t id = 0; id < 128; ++id) {
    std::vector<std::uint8_t> expected(16, 0);
    expected[8] = static_cast<std::uint8_t>(id);
    EXPECT_EQ(ops.queries[id].input, expected) << "id " << id;
    EXPECT_EQ(ops.queries[id].outLength, 1036u);
  }
  ASSERT_EQ(transport.Table().Count(), 1);
  EXPECT_EQ(transport.Table()[0].idLow, 127u);
  EXPECT_EQ(ops.closed, std::vector<HubHandle>{RecordingPlatformOps::kHub});
  EXPECT_EQ(ops.openHandles, 0);
}

TEST_F(SpbTransportTest, AnswersOtherThanAnI2cConnectionAreSkipped) {
  QueryAnswer notSerialBus = I2cDescriptor(true, 0x10, "\\_SB.A");
  notSerialBus.bytes[8] = 0x8C;
  QueryAnswer notI2c = I2cDescriptor(true, 0x11, "\\_SB.B");
  notI2c.bytes[13] = 2;
  QueryAnswer resultTwo = I2cDescriptor(true, 0x12, "\\_SB.C");
  resultTwo.result = 2;
  QueryAnswer failed = I2cDescriptor(true, 0x13, "\\_SB.D");
  failed.result = 0;
  ops.answers = {{0, notSerialBus}, {1, notI2c}, {2, resultTwo}, {3, failed},
                 {4, I2cDescriptor(true, 0x14, "\\_SB.E")}};
  ASSERT_TRUE(transport.EnumerateConnections());
  ASSERT_EQ(transport.Table().Count(), 1);
  EXPECT_STREQ(transport.Table()[0].resourcePath, "\\_SB.E");
}

TEST_F(SpbTransportTest, OldLayoutNeedsByte15Clear) {
  ops.buildNumber = 8148;
  QueryAnswer flagged = I2cDescriptor(false, 0x66, "\\_SB.I2C1");
  flagged.bytes[15] = 1;
  ops.answers[0] = flagged;
  ASSERT_TRUE(transport.EnumerateConnections());
  EXPECT_TRUE(transport.Table().Empty());
}

TEST_F(SpbTransportTest, FailedVersionOrHubLeavesTheTableAsItWas) {
  ops.answers[9] = I2cDescriptor(true, 0x66, "\\_SB.I2C1");
  ASSERT_TRUE(transport.EnumerateConnections());
  ops.answers.clear();

  ops.hubOpens = false;
  EXPECT_FALSE(transport.EnumerateConnections());
  EXPECT_EQ(transport.Table().Count(), 1);

  ops.hubOpens = true;
  ops.versionWorks = false;
  const std::size_t opensBefore = ops.creates.size();
  EXPECT_FALSE(transport.EnumerateConnections());
  EXPECT_EQ(ops.creates.size(), opensBefore);  // the hub is not even opened
  EXPECT_EQ(transport.Table().Count(), 1);

  ops.versionWorks = true;
  EXPECT_TRUE(transport.EnumerateConnections());  // found nothing this time: table cleared
  EXPECT_TRUE(transport.Table().Empty());
}

// The path must start inside the returned bytes, and its terminator is looked for only there.
TEST_F(SpbTransportTest, DescriptorPathIsBoundedByTheReturnedBytes) {
  QueryAnswer pathAtEnd = I2cDescriptor(true, 0x21, "");
  pathAtEnd.returned = 26;  // 20 + L == returned: the path lies outside the answer
  QueryAnswer lengthBeyond = I2cDescriptor(true, 0x22, "\\_SB.X");
  lengthBeyond.bytes[18] = 0xF0;  // L = 0x03F0: far past the answer
  lengthBeyond.bytes[19] = 0x03;
  QueryAnswer unterminated = I2cDescriptor(true, 0x23, "\\_SB.LONGER");
  unterminated.bytes.push_back('Z');  // the answer continues past the reported count
  unterminated.returned = 26 + 5;     // only "\_SB." was returned
  QueryAnswer headerCut = I2cDescriptor(true, 0x24, "P", 0);
  headerCut.returned = 22;  // path at 20 fits, but the address at 24 was never returned
  ops.answers = {{0, pathAtEnd}, {1, lengthBeyond}, {2, unterminated}, {3, headerCut}};
  ASSERT_TRUE(transport.EnumerateConnections());
  ASSERT_EQ(transport.Table().Count(), 1);
  EXPECT_EQ(transport.Table()[0].slaveAddress, 0x23);
  EXPECT_STREQ(transport.Table()[0].resourcePath, "\\_SB.");
}

TEST_F(SpbTransportTest, LongDescriptorPathKeeps259Characters) {
  const std::string longPath(300, 'p');
  ops.answers[0] = I2cDescriptor(true, 0x66, longPath);
  ASSERT_TRUE(transport.EnumerateConnections());
  ASSERT_EQ(transport.Table().Count(), 1);
  EXPECT_EQ(std::string(transport.Table()[0].resourcePath), longPath.substr(0, 259));
}

TEST_F(SpbTransportTest, EnumerationKeepsManyConnectionsInIdOrder) {
  for (std::uint32_t id = 10; id < 19; ++id) {
    ops.answers[id] = I2cDescriptor(true, static_cast<std::uint16_t>(id), "\\_SB.I2C" + std::to_string(id));
  }
  ASSERT_TRUE(transport.EnumerateConnections());
  ASSERT_EQ(transport.Table().Count(), 9);
  EXPECT_EQ(transport.Table().Capacity(), 16);
  for (std::size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(transport.Table()[i].idLow, 10 + i);
    EXPECT_EQ(std::string(transport.Table()[i].resourcePath), "\\_SB.I2C" + std::to_string(10 + i));
  }
}

// ---- the table itself ----

TEST(I2cConnectionTableTest, StartsWithRoomForFourAndCapacityOne) {
  I2cConnectionTable table;
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.Capacity(), 1);
  EXPECT_EQ(table.Room(), 4u);
  const I2cConnection* storage = table.begin();
  table.Clear();  // empty: nothing happens
  EXPECT_EQ(table.begin(), storage);
}

TEST(I2cConnectionTableTest, CapacityDoublesWhenFullAndClearStartsOver) {
  I2cConnectionTable table;
  const std::vector<std::int32_t> capacityAfter = {1, 2, 4, 4, 8, 8, 8, 8, 16};
  for (std::uint32_t i = 0; i < capacityAfter.size(); ++i) {
    I2cConnection entry;
    entry.idLow = i;
    entry.slaveAddress = static_cast<std::uint16_t>(0x40 + i);
    table.Append(entry);
    EXPECT_EQ(table.Count(), static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(table.Capacity(), capacityAfter[i]) << "after " << i + 1 << " entries";
    EXPECT_GE(table.Room(), static_cast<std::size_t>(table.Count()));
  }
  for (std::uint32_t i = 0; i < capacityAfter.size(); ++i) {
    EXPECT_EQ(table[i].idLow, i);
    EXPECT_EQ(table[i].slaveAddress, 0x40 + i);
  }
  table.Clear();
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.Capacity(), 1);
  EXPECT_EQ(table.Room(), 4u);
}

// ---- opening a connection ----

TEST_F(SpbTransportTest, DeviceFileNameCarriesTheIdInSixteenHexDigits) {
  OpenOne(0x1F);
  const auto& open = ops.creates.back();
  EXPECT_EQ(open.name, "\\\\.\\RESOURCE_HUB\\000000000000001f");
  EXPECT_EQ(open.access, kHubGenericRead | kHubGenericWrite);
  EXPECT_EQ(open.share, kHubShareRead | kHubShareWrite);
  EXPECT_EQ(open.disposition, kHubOpenExisting);
  EXPECT_EQ(open.flags, kHubAttributeNormal);
  EXPECT_TRUE(transport.DeviceOpen());
}

TEST_F(SpbTransportTest, MatchingUsesTheAddressLowByteAndTheExactPath) {
  ops.answers[1] = I2cDescriptor(true, 0x66, "\\_SB.I2C2");
  ops.answers[2] = I2cDescriptor(true, 0x66, "\\_SB.I2C1");
  ops.answers[3] = I2cDescriptor(true, 0x166, "\\_SB.I2C1");
  ASSERT_TRUE(transport.EnumerateConnections());

  EXPECT_TRUE(transport.OpenI2cDevice("\\_SB.I2C1", 0x166));
  EXPECT_EQ(ops.creates.back().name, "\\\\.\\RESOURCE_HUB\\0000000000000002");
  const std::size_t opens = ops.creates.size();
  EXPECT_FALSE(transport.OpenI2cDevice("\\_SB.i2c1", 0x66));  // case matters
  EXPECT_FALSE(transport.OpenI2cDevice("\\_SB.I2C", 0x66));   // no prefix match
  EXPECT_FALSE(transport.OpenI2cDevice("\\_SB.I2C1", 0x67));
  EXPECT_EQ(ops.creates.size(), opens);
  EXPECT_FALSE(transport.DeviceOpen());
}

TEST_F(SpbTransportTest, FirstOfTwoEqualEntriesIsOpened) {
  ops.answers[40] = I2cDescriptor(true, 0x66, "\\_SB.I2C1");
  ops.answers[41] = I2cDescriptor(true, 0x66, "\\_SB.I2C1");
  ASSERT_TRUE(transport.EnumerateConnections());
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(transport.OpenI2cDevice("\\_SB.I2C1", 0x66));
    EXPECT_EQ(ops.creates.back().name, "\\\\.\\RESOURCE_HUB\\0000000000000028");
  }
}

TEST_F(SpbTransportTest, OpeningClosesThePreviousHandleFirst) {
  OpenOne();
  const HubHandle first = ops.creates.back().result;
  ops.devicesOpen = false;
  EXPECT_FALSE(transport.OpenI2cDevice("\\_SB.I2C1", 0x66));
  EXPECT_EQ(ops.closed.back(), first);
  EXPECT_FALSE(transport.DeviceOpen());
  EXPECT_EQ(ops.openHandles, 0);
}

// ---- the exchange ----

// Writes little-endian values at the given offsets: the expected list, spelled out by offset.
struct Bytes {
  std::vector<std::uint8_t> data;
  explicit Bytes(std::size_t n) : data(n, 0) {}
  Bytes& u32(std::size_t at, std::uint32_t v) { std::memcpy(&data[at], &v, 4); return *this; }
  Bytes& u64(std::size_t at, std::uint64_t v) { std::memcpy(&data[at], &v, 8); return *this; }
};

std::uint64_t Address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

TEST_F(SpbTransportTest, ThirtyTwoBitListWithOneAndTwoTransfers) {
  OpenOne();
  ops.process64 = false;
  ops.wow64 = Wow64::No;
  std::uint8_t frame[3] = {0xD0, 0x08, 0x00};
  std::uint8_t reply[8] = {};
  ASSERT_TRUE(transport.ExecuteSequence({3, 8, frame, reply}));
  ASSERT_TRUE(transport.ExecuteSequence({3, 0, frame, nullptr}));

  const auto frameAddress = static_cast<std::uint32_t>(Address(frame));
  const auto replyAddress = static_cast<std::uint32_t>(Address(reply));
  Bytes two(52);
  two.u32(0, 32).u32(8, 2).u32(12, 2).u32(20, 1).u32(24, frameAddress).u32(28, 3);
  two.u32(32, 1).u32(40, 1).u32(44, replyAddress).u32(48, 8);
  Bytes one(52);
  one.u32(0, 32).u32(8, 1).u32(12, 2).u32(20, 1).u32(24, frameAddress).u32(28, 3);

  ASSERT_EQ(ops.sequences.size(), 2u);
  EXPECT_EQ(ops.sequences[0].list, two.data);
  EXPECT_EQ(ops.sequences[1].list, one.data);  // all 52 bytes passed, the rest zero
  for (const auto& call : ops.sequences) {
    EXPECT_EQ(call.handle, ops.creates.back().result);
    EXPECT_EQ(call.out, nullptr);
    EXPECT_EQ(call.outLength, 0u);
  }
}

TEST_F(SpbTransportTest, SixtyFourBitListWithOneAndTwoTransfers) {
  OpenOne();
  std::uint8_t frame[1] = {0xEC};
  std::uint8_t reply[62] = {};
  ASSERT_TRUE(transport.ExecuteSequence({1, 62, frame, reply}));
  ASSERT_TRUE(transport.ExecuteSequence({1, 0, frame, nullptr}));

  Bytes two(80);
  two.u32(0, 48).u32(8, 2).u32(16, 2).u32(24, 1).u64(32, Address(frame)).u32(40, 1);
  two.u32(48, 1).u32(56, 1).u64(64, Address(reply)).u32(72, 62);
  Bytes one(80);
  one.u32(0, 48).u32(8, 1).u32(16, 2).u32(24, 1).u64(32, Address(frame)).u32(40, 1);

  ASSERT_EQ(ops.sequences.size(), 2u);
  EXPECT_EQ(ops.sequences[0].list, two.data);
  EXPECT_EQ(ops.sequences[1].list, one.data);  // all 80 bytes passed
}

struct WordSizeCase {
  bool process64;
  Wow64 wow64;
  std::size_t listLength;
};

class TransferListWordSizeTest : public SpbTransportTest,
                                 public ::testing::WithParamInterface<WordSizeCase> {};

// The list follows the system's word size: only a 32-bit process on a 32-bit system sends the
// 32-bit list.
TEST_P(TransferListWordSizeTest, LayoutFollowsTheSystemWordSize) {
  OpenOne();
  ops.process64 = GetParam().process64;
  ops.wow64 = GetParam().wow64;
  std::uint8_t frame[1] = {0xEC};
  std::uint8_t reply[8] = {};
  ASSERT_TRUE(transport.ExecuteSequence({1, 8, frame, reply}));
  ASSERT_EQ(ops.sequences.size(), 1u);
  EXPECT_EQ(ops.sequences[0].list.size(), GetParam().listLength);
  EXPECT_EQ(ops.sequences[0].list[0], GetParam().listLength == 80 ? 48 : 32);
}

INSTANTIATE_TEST_SUITE_P(Systems, TransferListWordSizeTest,
                         ::testing::Values(WordSizeCase{true, Wow64::Missing, 80},
                                           WordSizeCase{true, Wow64::No, 80},
                                           WordSizeCase{false, Wow64::Yes, 80},
                                           WordSizeCase{false, Wow64::No, 52},
                                           WordSizeCase{false, Wow64::Missing, 52},
                                           WordSizeCase{false, Wow64::Fails, 52}));

TEST_F(SpbTransportTest, ExchangeWithoutOpenDeviceSaysDeviceNotOpen) {
  std::uint8_t frame[1] = {0xEC};
  ::testing::internal::CaptureStdout();
  const bool done = transport.ExecuteSequence({1, 0, frame, nullptr});
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Device Not Open");
  EXPECT_FALSE(done);
  EXPECT_TRUE(ops.sequences.empty());
}

TEST_F(SpbTransportTest, FailedSequencePrintsTheSigned32BitErrorCode) {
  OpenOne();
  ops.sequenceWorks = false;
  std::uint8_t frame[1] = {0xEC};
  for (const auto& [code, text] : std::vector<std::pair<std::uint32_t, std::string>>{
           {1117, "1117"}, {0xFFFFFFFFu, "-1"}, {0x80000000u, "-2147483648"}}) {
    ops.lastError = code;
    ::testing::internal::CaptureStdout();
    const bool done = transport.ExecuteSequence({1, 0, frame, nullptr});
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "DeviceIoControl IOCTL_SPB_EXECUTE_SEQUENCE failed(errCode:" + text + ").\n");
    EXPECT_FALSE(done);
  }
  EXPECT_TRUE(transport.DeviceOpen());  // the failed exchange leaves the handle to its caller
}

}  // namespace
