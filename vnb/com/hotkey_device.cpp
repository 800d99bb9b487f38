#include "vnb/com/hotkey_device.h"

#include "hw/hotkey_device_abi.h"
#include "vnb/machine/firmware.h"
#include "vnb/machine/machine.h"

#include <atomic>
#include <cstring>

namespace vnb {
namespace {

// {00000000-0000-0000-C000-000000000046}
constexpr os::Guid kUnknownInterfaceId = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr std::uint32_t kDeviceInformation = 0x0100;  // device revision 1.0

bool ProfileHasComDevice(Machine& machine) {
  Session session(machine, HostRequest::kObserve);
  return ProfileAt(session.state().config.profile).acpiDevice == AcpiDevice::kCom;
}

class HotKeyDevice final : public hw::IHotKeyAcpiDevice {
 public:
  explicit HotKeyDevice(Machine& machine) : machine_(machine) {}

  os::HResult QueryInterface(const os::Guid& iid, void** object) override {
    if (object == nullptr) return os::kFail;
    if (iid == hw::kHotKeyDeviceInterfaceId || iid == kUnknownInterfaceId) {
      AddRef();
      *object = static_cast<hw::IHotKeyAcpiDevice*>(this);
      return os::kOk;
    }
    *object = nullptr;
    return os::kNoInterface;
  }

  std::uint32_t AddRef() override { return ++references_; }

  std::uint32_t Release() override {
    const std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }

  os::HResult GetDeviceInformation(std::uint32_t* information) override {
    if (information == nullptr) return os::kFail;
    *information = kDeviceInformation;
    return os::kOk;
  }

  os::HResult ExecuteAcpiBuffer(std::uint8_t* buffer, std::uint32_t* result) override {
    if (buffer == nullptr) return os::kFail;
    std::uint8_t request[kAcpiBufferSize];
    std::memcpy(request, buffer, sizeof request);
    bool ok = false;
    {
      Session session(machine_);
      if (ProfileAt(session.state().config.profile).acpiDevice != AcpiDevice::kCom) return os::kFail;
      ok = ExecuteAcpiRequest(session.state(), request);
    }
    std::memcpy(buffer, request, sizeof request);
    if (result != nullptr) *result = ok ? 1u : 0u;
    return os::kOk;
  }

 private:
  ~HotKeyDevice() = default;
  Machine& machine_;
  std::atomic<std::uint32_t> references_{1};
};

os::HResult Initialize() {
  Machine* machine = Machine::Process();
  if (machine == nullptr) return os::kFail;
  Session session(*machine, HostRequest::kObserve);
  if (session.state().config.faults & FaultBit(Fault::kComInitFail)) return os::kFail;
  return os::kOk;
}

os::HResult Create(const os::Guid& clsid, const os::Guid& iid, void** object) {
  if (object == nullptr) return os::kFail;
  *object = nullptr;
  Machine* machine = Machine::Process();
  if (clsid != hw::kHotKeyDeviceClassId || machine == nullptr || !ProfileHasComDevice(*machine)) {
    return os::kClassNotRegistered;
  }
  if (iid != hw::kHotKeyDeviceInterfaceId && iid != kUnknownInterfaceId) return os::kNoInterface;
  auto* device = new HotKeyDevice(*machine);
  *object = static_cast<hw::IHotKeyAcpiDevice*>(device);
  return os::kOk;
}

const os::ObjectProvider kProvider = {&Initialize, &Create};

}  // namespace

const os::ObjectProvider* HotKeyDeviceProvider() { return &kProvider; }

}  // namespace vnb
