// The bridge's seven operations over the recording fake: selection, exchanges with their private
// buffers, the handle a failed exchange leaves open, and the connection listing.
#include "bridge/bridge.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/bridge/fake_bus_lock.h"
#include "tests/bridge/recording_platform_ops.h"

namespace {

using bridge::Bridge;
using bridge_test::FakeBusLock;
using bridge_test::I2cDescriptor;
using bridge_test::RecordingPlatformOps;

constexpr char kFirstPath[] = "\\_SB.I2C1";
constexpr char kSecondPath[] = "\\_SB.PCI0.I2C1";

class BridgeTest : public ::testing::Test {
 protected:
  RecordingPlatformOps ops;
  FakeBusLock lock{ops.events};
  std::unique_ptr<Bridge> bridge = std::make_unique<Bridge>(ops, lock);

  // Two connections on the hub: the first controller at id 2, the second at id 0x1F.
  void DeclareBothControllers() {
    ops.answers[2] = I2cDescriptor(true, 0x66, kFirstPath);
    ops.answers[0x1F] = I2cDescriptor(true, 0x66, kSecondPath);
  }

  std::string LastOpenedName() const { return ops.creates.back().name; }
};

TEST_F(BridgeTest, StartsWithNoSelection) {
  EXPECT_STREQ(bridge->DevicePath(), "");
  EXPECT_EQ(bridge->DeviceAddress(), 0u);
  EXPECT_FALSE(bridge->Transport().DeviceOpen());
  std::uint8_t frame[1] = {0xEC};
  std::uint8_t reply[8];
  EXPECT_EQ(bridge->ReadECRAM(frame, 1, reply, 8), 0);  // nothing enumerated, nothing matches
  EXPECT_TRUE(ops.sequences.empty());
}

TEST_F(BridgeTest, GetEcRamSelectsTheFirstControllerWhateverWasChosenBefore) {
  DeclareBothControllers();
  EXPECT_EQ(bridge->SetI2CDevice(kSecondPath, 0x55), 0x55u);
  EXPECT_EQ(bridge->GetECRAM(), 1);
  EXPECT_STREQ(bridge->DevicePath(), "\\_SB.I2C1");
  EXPECT_EQ(bridge->DeviceAddress(), 0x66u);
  EXPECT_EQ(bridge->Transport().Table().Count(), 2);
  // GetECRAM takes no lock and opens no connection.
  EXPECT_FALSE(lock.held);
  EXPECT_EQ(ops.openHandles, 0);
}

TEST_F(BridgeTest, GetEcRamSelectsEvenWhenTheHubCannotBeOpened) {
  ops.hubOpens = false;
  bridge->SetI2CDevice(kSecondPath, 0x10);
  EXPECT_EQ(bridge->GetECRAM(), 0);
  EXPECT_STREQ(bridge->DevicePath(), "\\_SB.I2C1");
  EXPECT_EQ(bridge->DeviceAddress(), 0x66u);
}

TEST_F(BridgeTest, SetI2cDeviceReturnsTheAddressAndLaterExchangesUseIt) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  EXPECT_EQ(bridge->SetI2CDevice(kSecondPath, 0x166), 0x166u);
  std::uint8_t frame[1] = {0xEC};
  std::uint8_t reply[8];
  EXPECT_EQ(bridge->ReadECRAM(frame, 1, reply, 8), 1);
  EXPECT_EQ(LastOpenedName(), "\\\\.\\RESOURCE_HUB\\000000000000001f");
}

TEST_F(BridgeTest, LongSelectionPathKeeps259Characters) {
  const std::string longPath(400, 'q');
  bridge->SetI2CDevice(longPath.c_str(), 0x66);
  EXPECT_EQ(std::string(bridge->DevicePath()), longPath.substr(0, 259));
  bridge->SetI2CDevice(std::string(259, 'r').c_str(), 0x66);
  EXPECT_EQ(std::string(bridge->DevicePath()), std::string(259, 'r'));
}

TEST_F(BridgeTest, ReadEcRamSendsTheFrameAndCopiesTheReplyUnderTheLock) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  ops.events.clear();
  ops.replyBytes = {'K', 'B', '1', '2', '3', '4', 'x', 'y'};
  const std::uint8_t frame[2] = {0xD0, 0x08};
  std::uint8_t reply[8] = {};
  EXPECT_EQ(bridge->ReadECRAM(frame, 2, reply, 8), 1);

  ASSERT_EQ(ops.sequences.size(), 1u);
  EXPECT_EQ(ops.sequences[0].written, (std::vector<std::uint8_t>{0xD0, 0x08}));
  EXPECT_EQ(std::vector<std::uint8_t>(reply, reply + 8), ops.replyBytes);
  // The exchange runs on private copies, not on the caller's buffers.
  const auto* list = ops.sequences[0].list.data();
  std::uint64_t writeAddress = 0;
  std::memcpy(&writeAddress, list + 32, 8);
  EXPECT_NE(writeAddress, reinterpret_cast<std::uintptr_t>(frame));
  // Opened, exchanged and closed while the lock was held; nothing stays open.
  const std::vector<std::string> expected = {
      "lock", "open \\\\.\\RESOURCE_HUB\\0000000000000002", "sequence 200", "close 200", "unlock"};
  EXPECT_EQ(ops.events, expected);
  EXPECT_EQ(ops.openHandles, 0);
  EXPECT_EQ(lock.lastTimeout, std::chrono::milliseconds(5000));
}

TEST_F(BridgeTest, ZeroReplyLengthWritesOnlyLikeWriteEcRam) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  const std::uint8_t frame[3] = {0x9A, 0x01, 0x02};
  EXPECT_EQ(bridge->ReadECRAM(frame, 3, nullptr, 0), 1);
  EXPECT_EQ(bridge->WriteECRAM(frame, 3), 1);
  ASSERT_EQ(ops.sequences.size(), 2u);
  for (const auto& call : ops.sequences) {
    EXPECT_EQ(call.list.size(), 80u);
    EXPECT_EQ(call.list[8], 1);  // one transfer
    EXPECT_EQ(std::vector<std::uint8_t>(call.list.begin() + 48, call.list.end()),
              std::vector<std::uint8_t>(32, 0));
    EXPECT_EQ(call.written, std::vector<std::uint8_t>(frame, frame + 3));
  }
}

TEST_F(BridgeTest, FailedExchangeReturnsZerosAndItsHandleIsClosedBeforeTheNext) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  ops.sequenceWorks = false;
  ops.replyBytes.clear();  // the failing hub writes nothing into the read buffer
  const std::uint8_t frame[1] = {0x81};
  std::vector<std::uint8_t> reply(62, 0xAA);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(bridge->ReadECRAM(frame, 1, reply.data(), 62), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "DeviceIoControl IOCTL_SPB_EXECUTE_SEQUENCE failed(errCode:1117).\n");
  EXPECT_EQ(reply, std::vector<std::uint8_t>(62, 0));
  EXPECT_TRUE(bridge->Transport().DeviceOpen());
  EXPECT_FALSE(lock.held);

  ops.sequenceWorks = true;
  ops.events.clear();
  EXPECT_EQ(bridge->ReadECRAM(frame, 1, reply.data(), 62), 1);
  const std::vector<std::string> expected = {
      "lock", "close 200", "open \\\\.\\RESOURCE_HUB\\0000000000000002", "sequence 201",
      "close 201", "unlock"};
  EXPECT_EQ(ops.events, expected);
  EXPECT_EQ(ops.openHandles, 0);
}

TEST_F(BridgeTest, HandleLeftByAFailedExchangeIsClosedAtUnload) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  ops.sequenceWorks = false;
  const std::uint8_t frame[1] = {0xEC};
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(bridge->ReadECRAM(frame, 1, nullptr, 0), 0);
  ::testing::internal::GetCapturedStdout();
  // An enumeration that finds nothing empties the table; the open handle is left alone.
  ops.answers.clear();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  EXPECT_EQ(bridge->ReadECRAM(frame, 1, nullptr, 0), 0);
  EXPECT_EQ(ops.openHandles, 1);
  bridge.reset();
  EXPECT_EQ(ops.openHandles, 0);
  EXPECT_EQ(ops.closed.back(), 200);
}

TEST_F(BridgeTest, BusLockTimeoutFailsTheExchangeWithoutTouchingTheBus) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  lock.available = false;
  const std::size_t opens = ops.creates.size();
  const std::uint8_t frame[1] = {0xEC};
  std::uint8_t reply[4] = {1, 2, 3, 4};
  EXPECT_EQ(bridge->ReadECRAM(frame, 1, reply, 4), 0);
  EXPECT_EQ(bridge->WriteECRAM(frame, 1), 0);
  EXPECT_EQ(ops.creates.size(), opens);
  EXPECT_TRUE(ops.sequences.empty());
  EXPECT_EQ(std::vector<std::uint8_t>(reply, reply + 4), std::vector<std::uint8_t>(4, 0));
}

TEST_F(BridgeTest, UnopenableConnectionFailsAndReleasesTheLock) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  ops.devicesOpen = false;
  const std::uint8_t frame[1] = {0xEC};
  EXPECT_EQ(bridge->WriteECRAM(frame, 1), 0);
  EXPECT_TRUE(ops.sequences.empty());
  EXPECT_FALSE(lock.held);
  EXPECT_FALSE(bridge->Transport().DeviceOpen());
}

TEST_F(BridgeTest, MissingBuffersAreRefused) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  std::uint8_t reply[2];
  EXPECT_EQ(bridge->ReadECRAM(nullptr, 1, reply, 2), 0);
  const std::uint8_t frame[1] = {0xEC};
  EXPECT_EQ(bridge->ReadECRAM(frame, 1, nullptr, 2), 0);
  EXPECT_TRUE(ops.sequences.empty());
}

TEST_F(BridgeTest, ReleaseEcRamDoesNothing) {
  DeclareBothControllers();
  ASSERT_EQ(bridge->GetECRAM(), 1);
  const auto events = ops.events;
  for (int i = 0; i < 5; ++i) bridge->ReleaseECRAM();
  EXPECT_EQ(ops.events, events);
  EXPECT_STREQ(bridge->DevicePath(), "\\_SB.I2C1");
  const std::uint8_t frame[1] = {0xEC};
  EXPECT_EQ(bridge->WriteECRAM(frame, 1), 1);
}

TEST_F(BridgeTest, ConnectionListingCopiesWholePathsAndZeroExtendedAddresses) {
  char paths[3][260];
  std::uint32_t addresses[3] = {0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF};
  std::memset(paths, '#', sizeof paths);
  bridge->GetI2CDevice(paths, addresses);  // before any enumeration: nothing is copied
  for (const auto& path : paths) EXPECT_EQ(path[0], '#');
  EXPECT_EQ(addresses[0], 0xDEADBEEF);

  DeclareBothControllers();
  ops.answers[5] = I2cDescriptor(true, 0xFF66, "\\_SB.I2C3");
  EXPECT_EQ(bridge->InitI2CDevice(), 3u);
  bridge->GetI2CDevice(paths, addresses);
  EXPECT_STREQ(paths[0], kFirstPath);
  EXPECT_STREQ(paths[1], "\\_SB.I2C3");
  EXPECT_STREQ(paths[2], kSecondPath);
  EXPECT_EQ(paths[0][259], '\0');  // all 260 bytes, the padding included
  EXPECT_EQ(addresses[0], 0x66u);
  EXPECT_EQ(addresses[1], 0xFF66u);
  EXPECT_EQ(addresses[2], 0x66u);
  EXPECT_EQ(bridge->DevicePath()[0], '\0');  // listing selects nothing

  ops.hubOpens = false;
  EXPECT_EQ(bridge->InitI2CDevice(), 0u);
}

}  // namespace
