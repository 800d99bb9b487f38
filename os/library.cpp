#include "os/library.h"

#include <dlfcn.h>

namespace os {

LibraryHandle LoadLibraryAt(const std::filesystem::path& absolutePath) {
  if (absolutePath.empty() || !absolutePath.is_absolute()) return nullptr;
  // RTLD_LOCAL: two stand-ins exporting the same names must not see each other's symbols.
  return dlopen(absolutePath.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindExport(LibraryHandle library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return dlsym(library, name);
}

void FreeLibrary(LibraryHandle library) {
  if (library != nullptr) dlclose(library);
}

void* LookupExport(void* library, const char* name) { return FindExport(library, name); }

}  // namespace os
