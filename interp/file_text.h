// Wide texts <-> the 8-bit bytes of the program's text files, and where "C:\..." default
// file names are saved on this system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace interp {

// One character per byte, zero-extended.
std::wstring WidenLatin1(std::string_view bytes);

// One byte per character; a character above 0xFF cannot be stored and becomes '?'.
std::string NarrowLatin1(std::wstring_view text);

// The bytes a text file holds for `text`: Latin-1, every "\n" written as "\r\n".
std::string EncodeFileText(std::wstring_view text);

// The program's default names are written "C:\name". They are saved as `name` inside `folder`
// (the default save folder, the user's home directory here). A name without that prefix is
// taken as a name inside `folder` as well. The name is encoded as UTF-8, the usual file-name
// encoding of this system.
std::filesystem::path ResolveDefaultFileName(std::wstring_view windowsName,
                                             const std::filesystem::path& folder);

// The same inside the default save folder of this system (os::DefaultSaveFolder: the user's
// home directory), e.g. "C:\Packwatch.log" -> ~/Packwatch.log.
std::filesystem::path ResolveDefaultFileName(std::wstring_view windowsName);

}  // namespace interp
