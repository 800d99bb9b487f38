// EC RAM through EcBasicI2c lands in the machine that vnbctl inspects, and back.
#include "hw/ec_basic_i2c.h"
#include "tests/e2e/e2e_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace e2e {
namespace {

std::string Vnbctl(const std::string& arguments) {
  const std::string command = std::string(PACKWATCH_BIN_DIR) + "/vnbctl " + arguments + " 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    pclose(pipe);
  }
  return output;
}

class EcOverI2c : public E2eTest {};

TEST_F(EcOverI2c, WritesAreSeenByVnbctlAndVnbctlWritesAreRead) {
  UseProfile("i2c");
  ASSERT_TRUE(ConnectI2c("\\_SB.I2C1"));
  hw::EcBasicI2c ec;
  ec.WriteByte(0x0C40, 0xA5);
  EXPECT_EQ(Vnbctl("ec read 0x0C40"), "0x0C40: 0xA5\n");
  EXPECT_EQ(ec.ReadByte(0x0C40), 0xA5);

  Vnbctl("ec write 0x0C41 0x3C");
  EXPECT_EQ(ec.ReadByte(0x0C41), 0x3C);

  char version[hw::kVersionBufferSize] = {};
  EXPECT_STREQ(ec.GetVersionString(version), "NVAP2108");
  EXPECT_EQ(ec.GetChipId(), 0x8528);
}

}  // namespace
}  // namespace e2e
