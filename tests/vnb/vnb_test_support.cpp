#include "vnb_test_support.h"

#include "vnb/machine/segment.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <memory>

namespace vnbtest {
namespace {

// Names this process's machine before any library attaches, and removes it at exit.
struct ProcessMachineName {
  ProcessMachineName() {
    name = "/vnb-test-" + std::to_string(getpid()) + "-" + std::to_string(std::time(nullptr));
    setenv("PACKWATCH_VNB", name.c_str(), 1);
    owner = getpid();
  }
  ~ProcessMachineName() {
    if (getpid() == owner) vnb::Segment::Remove(name);
  }
  std::string name;
  pid_t owner;
};

ProcessMachineName& Name() {
  static ProcessMachineName instance;
  return instance;
}
const ProcessMachineName& g_nameAtStart = Name();

template <class F>
void BindEntry(const Library& library, const char* name, F* entry) {
  *entry = reinterpret_cast<F>(library.Symbol(name));
  if (*entry == nullptr) ADD_FAILURE() << "export " << name << " missing";
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

}  // namespace

const std::string& MachineName() { return Name().name; }

vnb::Machine& TheMachine() {
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) std::abort();
  return *machine;
}

Library::Library(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) error_ = dlerror();
}

Library::~Library() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* Library::Symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

std::string BinPath(const std::string& fileName) { return std::string(PACKWATCH_BIN_DIR) + "/" + fileName; }

const BrantelApi& Brantel() {
  static Library* library = new Library(BinPath("Brantel.dll"));
  static BrantelApi api = [] {
    BrantelApi a;
    EXPECT_TRUE(library->loaded()) << library->error();
#define VNB_TEST_BIND(name, type) BindEntry(*library, #name, &a.name);
    PACKWATCH_EC_CALLED_EXPORTS(VNB_TEST_BIND)
#undef VNB_TEST_BIND
    return a;
  }();
  return api;
}

const SorrelApi& Sorrel() {
  static Library* library = new Library(BinPath("Sorrel.dll"));
  static SorrelApi api = [] {
    SorrelApi a;
    EXPECT_TRUE(library->loaded()) << library->error();
    BindEntry(*library, "GetZYLACPIDeviceTypeEx", &a.GetZYLACPIDeviceTypeEx);
    BindEntry(*library, "InitializeZYLACPIDeviceEx", &a.InitializeZYLACPIDeviceEx);
    BindEntry(*library, "One_WMIMethod_INTEx", &a.One_WMIMethod_INTEx);
    return a;
  }();
  return api;
}

std::uint8_t ReadEc(std::uint16_t address) {
  EcMemBlock block{};
  block.address = address;
  block.value = 0xCDCDCDCD;
  Brantel().ECMem3r(&block);
  return block.data;
}

void WriteEc(std::uint16_t address, std::uint8_t value) {
  EcMemBlock block{};
  block.address = address;
  block.value = 0xAB00u | value;  // only the low byte is written
  Brantel().ECMem3w(&block);
}

std::uint16_t ReadEcWord(std::uint16_t lo) {
  const std::uint8_t low = ReadEc(lo);
  const std::uint8_t high = ReadEc(static_cast<std::uint16_t>(lo + 1));
  return static_cast<std::uint16_t>(high << 8 | low);
}

std::uint8_t ReadRom(std::uint16_t address) {
  EcMemBlock block{};
  block.address = address;
  Brantel().RomRead(&block);
  return block.data;
}

std::vector<std::uint8_t> Ext(std::uint8_t command, std::vector<std::uint8_t> written, std::uint8_t readCount) {
  EcExtCmdBlock block{};
  block.command = command;
  block.writeCount = static_cast<std::uint8_t>(written.size());
  block.readCount = readCount;
  for (std::size_t i = 0; i < written.size(); ++i) block.data[i] = written[i];
  Brantel().Ext3rdCmd(&block);
  return std::vector<std::uint8_t>(block.data, block.data + readCount);
}

std::uint16_t SmbusWord(std::uint8_t command) {
  Ext(0x9B, {0x18, 0x09}, 0);
  Ext(0x9B, {0x1A, 0x16}, 0);
  Ext(0x9B, {0x1B, command}, 0);
  Ext(0x9C, {}, 0);
  const std::uint8_t high = Ext(0x9A, {0x1D}, 1)[0];
  const std::uint8_t low = Ext(0x9A, {0x1C}, 1)[0];
  return static_cast<std::uint16_t>(high << 8 | low);
}

std::string SmbusBlock(std::uint8_t command, std::uint16_t countAddress, std::uint16_t dataAddress,
                       bool writeRequestedLength, std::uint8_t requested) {
  if (writeRequestedLength) WriteEc(countAddress, requested);
  Ext(0x9B, {0x18, 0x0B}, 0);
  Ext(0x9B, {0x1A, 0x16}, 0);
  Ext(0x9B, {0x1B, command}, 0);
  Ext(0x9C, {}, 0);
  std::string text;
  for (std::uint8_t i = 0; i < ReadEc(countAddress); ++i) {
    text += static_cast<char>(ReadEc(static_cast<std::uint16_t>(dataAddress + i)));
  }
  return text;
}

int RunVnbctl(const std::vector<std::string>& args, std::string* out, std::string* err) {
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return -1;
  const std::string path = BinPath("vnbctl");
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  // stderr is small; read stdout first, then stderr.
  std::string o = ReadAll(outPipe[0]);
  std::string e = ReadAll(errPipe[0]);
  close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (out) *out = o;
  if (err) *err = e;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void VnbTest::UseProfile(const char* name) {
  vnb::Machine& machine = TheMachine();
  ASSERT_TRUE(machine.SetSpeed(0.0, nullptr));
  std::string error;
  ASSERT_TRUE(machine.SelectProfile(name, &error)) << error;
}

}  // namespace vnbtest
