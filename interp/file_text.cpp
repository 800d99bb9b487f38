#include "interp/file_text.h"

#include "os/folders.h"

namespace interp {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = U'?';
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char NarrowOne(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code <= 0xFF ? static_cast<char>(static_cast<unsigned char>(code)) : '?';
}

}  // namespace

std::wstring WidenLatin1(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(b)));
  return out;
}

std::string NarrowLatin1(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) out.push_back(NarrowOne(c));
  return out;
}

std::string EncodeFileText(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (wchar_t c : text) {
    if (c == L'\n') out.push_back('\r');
    out.push_back(NarrowOne(c));
  }
  return out;
}

std::filesystem::path ResolveDefaultFileName(std::wstring_view windowsName,
                                             const std::filesystem::path& folder) {
  std::wstring_view name = windowsName;
  if (name.size() >= 3 && (name[0] == L'C' || name[0] == L'c') && name[1] == L':' &&
      name[2] == L'\\') {
    name.remove_prefix(3);
  }
  std::string encoded;
  for (wchar_t c : name) AppendUtf8(encoded, static_cast<char32_t>(c));
  return folder / std::filesystem::path(encoded);
}

std::filesystem::path ResolveDefaultFileName(std::wstring_view windowsName) {
  return ResolveDefaultFileName(windowsName, os::DefaultSaveFolder());
}

}  // namespace interp
