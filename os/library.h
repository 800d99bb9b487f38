// Libraries loaded by file name at run time and their exports bound by name.
#pragma once

#include <filesystem>

namespace os {

using LibraryHandle = void*;

// Loads the library at an absolute path with every symbol resolved now, so a library whose
// dependencies or symbols are missing fails here instead of at its first call. A relative or
// empty path is refused (null): a relative name would be searched for along the loader's path.
LibraryHandle LoadLibraryAt(const std::filesystem::path& absolutePath);
// Address of the export, or null.
void* FindExport(LibraryHandle library, const char* name);
// Null is accepted.
void FreeLibrary(LibraryHandle library);

// FindExport in the shape of the binders' look-up callback: context = the library handle.
void* LookupExport(void* library, const char* name);

}  // namespace os
