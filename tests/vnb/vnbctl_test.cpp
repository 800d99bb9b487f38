// vnbctl as a user runs it: a subprocess on this test's machine.
#include "vnb_test_support.h"

#include <unistd.h>

namespace vnbtest {
namespace {

using Vnbctl = VnbTest;

std::string Status() {
  std::string out;
  EXPECT_EQ(RunVnbctl({"status"}, &out, nullptr), 0);
  return out;
}

TEST_F(Vnbctl, BadInputGetsOneLineAndChangesNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"status", "extra"},
      {"profile"},
      {"profile", "nonesuch"},
      {"battery", "3", "remove"},
      {"battery", "1", "explode"},
      {"battery", "1"},
      {"ac", "maybe"},
      {"speed", "fast"},
      {"speed", "-1"},
      {"speed", "nan"},
      {"fault", "nonesuch", "on"},
      {"fault", "i2c-fail", "sideways"},
      {"ec", "read"},
      {"ec", "read", "10000"},
      {"ec", "read", "0x"},
      {"ec", "read", "12g4"},
      {"ec", "write", "0x0700", "100"},
      {"ec", "write", "0x10000", "1"},
      {"ec", "write", "0x0700"},
      {"ec", "peek", "0"},
      {"dump", "0x10", "0x0F"},
      {"dump", "0", "0x123456789"},
      {"profile", "alt-kl\nwindow-wmi"},  // the echoed argument must not break the line
      {"ec", "read", "12\r\n34"},
  };
  WriteEc(0x0700, 0x5C);
  const std::string before = Status();
  for (const auto& args : cases) {
    std::string out, err;
    std::string line;
    for (const std::string& a : args) line += a + " ";
    EXPECT_NE(RunVnbctl(args, &out, &err), 0) << line;
    EXPECT_TRUE(out.empty()) << line;
    ASSERT_FALSE(err.empty()) << line;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << line << ": " << err;
    EXPECT_EQ(err.rfind("vnbctl: ", 0), 0u) << err;
  }
  EXPECT_EQ(Status(), before);
  EXPECT_EQ(ReadEc(0x0700), 0x5C);
}

TEST_F(Vnbctl, ErrorsNameWhatWasWrong) {
  std::string err;
  RunVnbctl({"ec", "read", "10000"}, nullptr, &err);
  EXPECT_NE(err.find("address over 0xFFFF"), std::string::npos) << err;
  RunVnbctl({"ec", "write", "0", "1FF"}, nullptr, &err);
  EXPECT_NE(err.find("value over 0xFF"), std::string::npos) << err;
  RunVnbctl({"profile", "x"}, nullptr, &err);
  EXPECT_NE(err.find("unknown profile \"x\""), std::string::npos) << err;
  RunVnbctl({"fault", "x", "on"}, nullptr, &err);
  EXPECT_NE(err.find("unknown fault \"x\""), std::string::npos) << err;
  RunVnbctl({}, nullptr, &err);
  EXPECT_NE(err.find("missing command"), std::string::npos) << err;
  UseProfile("one-battery");
  EXPECT_NE(RunVnbctl({"battery", "2", "insert"}, nullptr, &err), 0);
  EXPECT_NE(err.find("no battery 2"), std::string::npos) << err;
}

TEST_F(Vnbctl, CommandsSteerTheMachine) {
  ASSERT_EQ(RunVnbctl({"profile", "alt-kl"}, nullptr, nullptr), 0);
  EXPECT_EQ(ReadEc(0x2000), 0xFF);
  ASSERT_EQ(RunVnbctl({"ac", "off"}, nullptr, nullptr), 0);
  EXPECT_EQ(ReadEc(0xF780) & 1, 0);
  ASSERT_EQ(RunVnbctl({"battery", "2", "remove"}, nullptr, nullptr), 0);
  EXPECT_EQ(ReadEc(0xF780), 0x02);
  ASSERT_EQ(RunVnbctl({"fault", "driver-fail", "on"}, nullptr, nullptr), 0);
  EXPECT_EQ(Brantel().LoadECDriver(), 0u);
  ASSERT_EQ(RunVnbctl({"speed", "0"}, nullptr, nullptr), 0);
  const std::string status = Status();
  EXPECT_NE(status.find("alt-kl"), std::string::npos);
  EXPECT_NE(status.find("unplugged"), std::string::npos);
  EXPECT_NE(status.find("removed"), std::string::npos);
  EXPECT_NE(status.find("driver-fail"), std::string::npos);
  EXPECT_NE(status.find("NVKL4212"), std::string::npos);

  std::string out;
  ASSERT_EQ(RunVnbctl({"ec", "write", "0x0702", "0xab"}, nullptr, nullptr), 0);
  ASSERT_EQ(RunVnbctl({"dump", "6FE", "0x0703"}, &out, nullptr), 0);
  EXPECT_EQ(out,
            "06F0:                                           00 00\n"
            "0700: 00 00 AB 00                                    \n");
}

TEST(VnbctlFresh, StatusOfAFreshMachineShowsTwoLiveBatteries) {
  const std::string name = "/vnb-fresh-" + std::to_string(getpid());
  const std::string saved = MachineName();
  setenv("PACKWATCH_VNB", name.c_str(), 1);
  std::string first, second;
  EXPECT_EQ(RunVnbctl({"status"}, &first, nullptr), 0);
  usleep(300000);
  EXPECT_EQ(RunVnbctl({"status"}, &second, nullptr), 0);
  setenv("PACKWATCH_VNB", saved.c_str(), 1);
  vnb::Segment::Remove(name);
  EXPECT_NE(first.find("window-wmi"), std::string::npos);
  EXPECT_NE(first.find("charging (CC)"), std::string::npos);
  EXPECT_EQ(first.find("removed"), std::string::npos);
  // The battery rows (after the header) move between the two calls.
  EXPECT_NE(first.substr(first.find("Battery 1")), second.substr(second.find("Battery 1")));
}

}  // namespace
}  // namespace vnbtest
