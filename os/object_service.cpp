#include "os/object_service.h"

#include <atomic>

namespace os {

namespace {

std::atomic<const ObjectProvider*> g_provider{nullptr};
// Successful initialisations of this thread not yet balanced by Uninitialize.
thread_local unsigned t_initCount = 0;

}  // namespace

void SetObjectProvider(const ObjectProvider* provider) { g_provider.store(provider); }

HResult Initialize() {
  if (t_initCount > 0) {
    ++t_initCount;
    return kFalse;
  }
  // The provider decides once per thread whether the thread may use the service.
  const ObjectProvider* provider = g_provider.load();
  if (provider != nullptr && provider->initialize != nullptr) {
    const HResult hr = provider->initialize();
    if (!Succeeded(hr)) return hr;
  }
  ++t_initCount;
  return kOk;
}

void Uninitialize() {
  if (t_initCount > 0) --t_initCount;
}

HResult CreateInstance(const Guid& clsid, const Guid& iid, void** object) {
  if (object == nullptr) return kFail;
  *object = nullptr;
  if (t_initCount == 0) return kNotInitialized;
  const ObjectProvider* provider = g_provider.load();
  if (provider == nullptr || provider->create == nullptr) return kClassNotRegistered;
  const HResult hr = provider->create(clsid, iid, object);
  if (!Succeeded(hr)) *object = nullptr;
  return hr;
}

}  // namespace os
