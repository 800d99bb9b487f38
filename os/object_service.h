// The object-creation service that stands in for COM: per-thread initialisation and creation
// of an object by class and interface id. The objects come from a registered provider (on
// this machine the virtual notebook, which serves the hot-key ACPI device's class).
#pragma once

#include <cstdint>

namespace os {

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
  friend bool operator==(const Guid&, const Guid&) = default;
};

using HResult = std::int32_t;
inline constexpr HResult kOk = 0;
inline constexpr HResult kFalse = 1;                                       // already initialised
inline constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154u);
inline constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kNotInitialized = static_cast<HResult>(0x800401F0u);
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);
inline constexpr bool Succeeded(HResult hr) { return hr >= 0; }

// The first three slots of every object the service hands out. Objects add their own slots
// after these; no virtual destructor, so slot positions are exactly the declaration order.
class IUnknown {
 public:
  virtual HResult QueryInterface(const Guid& iid, void** object) = 0;
  virtual std::uint32_t AddRef() = 0;
  virtual std::uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

// What a provider supplies. `initialize` decides whether a thread may use the service;
// `create` makes an object of the class with the interface, or fails.
struct ObjectProvider {
  HResult (*initialize)();
  HResult (*create)(const Guid& clsid, const Guid& iid, void** object);
};

// Installs the process's provider (null removes it). Without one, initialisation succeeds
// and every creation fails with kClassNotRegistered.
void SetObjectProvider(const ObjectProvider* provider);

// Per-thread initialisation, counted like COM's: each success needs one Uninitialize.
HResult Initialize();
void Uninitialize();
// Fails with kNotInitialized on a thread that has not initialised.
HResult CreateInstance(const Guid& clsid, const Guid& iid, void** object);

}  // namespace os
