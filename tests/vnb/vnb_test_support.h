// Shared pieces of the virtual notebook's tests: one machine per test process (named before
// anything attaches, removed at exit), the built stand-in libraries loaded by path, and the
// host-side sequences the program runs against them.
#pragma once

#include "hw/acpi_library_abi.h"
#include "hw/ec_library_abi.h"
#include "hw/ec_library_names.h"
#include "vnb/machine/machine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace vnbtest {

// The machine this test process uses (PACKWATCH_VNB is set to it before main).
const std::string& MachineName();
vnb::Machine& TheMachine();

// dlopen of a built library by path with RTLD_NOW; null handle when it did not load.
class Library {
 public:
  explicit Library(const std::string& path);
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  bool loaded() const { return handle_ != nullptr; }
  void* Symbol(const char* name) const;
  const std::string& error() const { return error_; }

 private:
  void* handle_;
  std::string error_;
};

std::string BinPath(const std::string& fileName);

struct BrantelApi {
#define VNB_TEST_ENTRY(name, type) type name = nullptr;
  PACKWATCH_EC_CALLED_EXPORTS(VNB_TEST_ENTRY)
#undef VNB_TEST_ENTRY
};

struct SorrelApi {
  AcpiGetDeviceTypeFn GetZYLACPIDeviceTypeEx = nullptr;
  AcpiInitializeFn InitializeZYLACPIDeviceEx = nullptr;
  AcpiOneWmiMethodIntFn One_WMIMethod_INTEx = nullptr;
};

// Loaded once per process and kept; every entry bound (a failed bind fails the test).
const BrantelApi& Brantel();
const SorrelApi& Sorrel();

// Host sequences over Brantel.dll.
std::uint8_t ReadEc(std::uint16_t address);
void WriteEc(std::uint16_t address, std::uint8_t value);
std::uint16_t ReadEcWord(std::uint16_t lo);  // lo, then lo + 1
std::uint8_t ReadRom(std::uint16_t address);
// One extended command; returns the bytes read.
std::vector<std::uint8_t> Ext(std::uint8_t command, std::vector<std::uint8_t> written, std::uint8_t readCount);
// The SMBus word read as the program issues it, without the 5 ms pause.
std::uint16_t SmbusWord(std::uint8_t command);
// The SMBus block read; the count and data addresses are those of the layout.
std::string SmbusBlock(std::uint8_t command, std::uint16_t countAddress, std::uint16_t dataAddress,
                       bool writeRequestedLength, std::uint8_t requested);

// Runs vnbctl with arguments; returns the exit status and fills stdout/stderr.
int RunVnbctl(const std::vector<std::string>& args, std::string* out, std::string* err);

// Names parameterised cases after their profile ("window-wmi" becomes "window_wmi").
struct ByProfile {
  template <class Param>
  std::string operator()(const ::testing::TestParamInfo<Param>& info) const {
    std::string name = info.param.profile;
    for (char& c : name) {
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
  }
};

// Every test starts from a fresh machine of a profile with its clock stopped.
class VnbTest : public ::testing::Test {
 protected:
  void SetUp() override { UseProfile("window-wmi"); }
  static void UseProfile(const char* name);
};

}  // namespace vnbtest
