// Two processes that exchange frames through their own copies of TesselDll.dll share one bus:
// the named mutex "InitTesselMutex" serialises them. Seen from the program's side: while
// another process holds the mutex, an exchange waits; once it is released, the exchange runs.
#include "hw/bridge_library.h"
#include "os/named_object.h"
#include "tests/e2e/e2e_fixture.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>

namespace e2e {
namespace {

class BusSerialisation : public E2eTest {};

bool WaitReadable(int fd, int milliseconds) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, milliseconds) == 1;
}

TEST_F(BusSerialisation, ExchangeWaitsWhileAnotherProcessHoldsTheBusMutex) {
  UseProfile("i2c");
  os::NamedMutex bus("InitTesselMutex");  // the lock the bridge library takes for an exchange
  ASSERT_TRUE(bus.TryLock());
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // A process of its own, with its own copy of the library; its first exchange is the
    // identify probe of ConnectI2c.
    (void)!write(channel[1], "s", 1);
    char answer = 'x';
    if (ConnectI2c("\\_SB.I2C1")) {
      std::uint8_t frame = 0x81;
      std::array<std::uint8_t, 62> block{};
      answer = hw::BridgeLibrary().ReadECRAM(&frame, 1, block.data(), 62) == 1 ? '1' : '0';
    }
    (void)!write(channel[1], &answer, 1);
    _exit(0);
  }
  close(channel[1]);
  char started = 0;
  ASSERT_EQ(read(channel[0], &started, 1), 1);
  EXPECT_FALSE(WaitReadable(channel[0], 300)) << "an exchange ran while the bus was held";
  bus.Unlock();
  char result = 0;
  ASSERT_TRUE(WaitReadable(channel[0], 10000));
  ASSERT_EQ(read(channel[0], &result, 1), 1);
  EXPECT_EQ(result, '1');
  close(channel[0]);
  waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace e2e
