#include "interp/number_text.h"

#include <cstdio>
#include <limits>

namespace interp {
namespace {

template <typename Char>
bool IsBlank(Char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename Char>
bool IsDecimalDigit(Char c) {
  return c >= '0' && c <= '9';
}

// Reads white space, an optional sign and the decimal digits after it. The magnitude is
// capped just above the largest value any caller can accept, so it never overflows.
struct DecimalParts {
  bool negative = false;
  std::uint64_t magnitude = 0;
};

template <typename Char>
DecimalParts ReadDecimal(std::basic_string_view<Char> text) {
  constexpr std::uint64_t kCap = std::uint64_t{1} << 33;
  DecimalParts parts;
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    parts.negative = text[i] == '-';
    ++i;
  }
  for (; i < text.size() && IsDecimalDigit(text[i]); ++i) {
    parts.magnitude = parts.magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (parts.magnitude > kCap) parts.magnitude = kCap;
  }
  return parts;
}

template <typename Char>
std::int32_t DecimalSaturating(std::basic_string_view<Char> text) {
  const DecimalParts parts = ReadDecimal(text);
  const auto value = parts.negative ? -static_cast<std::int64_t>(parts.magnitude)
                                    : static_cast<std::int64_t>(parts.magnitude);
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

template <typename Char>
std::uint32_t UnsignedDecimalSaturating(std::basic_string_view<Char> text) {
  const DecimalParts parts = ReadDecimal(text);
  if (parts.negative && parts.magnitude != 0) return std::numeric_limits<std::uint32_t>::max();
  if (parts.magnitude > std::numeric_limits<std::uint32_t>::max()) {
    return std::numeric_limits<std::uint32_t>::max();
  }
  return static_cast<std::uint32_t>(parts.magnitude);
}

template <typename Char>
std::uint32_t HexDigitValue(Char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
  return 0;
}

template <typename Char>
std::basic_string_view<Char> WithoutHexPrefix(std::basic_string_view<Char> text) {
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  return text;
}

template <typename Char>
std::uint32_t HexWrapping(std::basic_string_view<Char> text) {
  std::uint32_t value = 0;
  for (Char c : WithoutHexPrefix(text)) value = value * 16u + HexDigitValue(c);
  return value;
}

template <typename Char>
std::uint32_t HexSaturating(std::basic_string_view<Char> text) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  std::uint64_t value = 0;
  for (Char c : WithoutHexPrefix(text)) {
    value = value * 16u + HexDigitValue(c);
    if (value > kMax) value = kMax;
  }
  return static_cast<std::uint32_t>(value);
}

template <typename Char>
std::int32_t Parse(std::basic_string_view<Char> text, int radix) {
  if (radix == 10) return DecimalSaturating(text);
  if (radix == 16) return static_cast<std::int32_t>(HexWrapping(text));
  return 0;
}

std::wstring Widen(const char* bytes, int length) {
  std::wstring out;
  if (length <= 0) return out;
  out.reserve(static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i])));
  return out;
}

}  // namespace

std::int32_t ParseNumber(std::string_view text, int radix) { return Parse(text, radix); }
std::int32_t ParseNumber(std::wstring_view text, int radix) { return Parse(text, radix); }

std::int32_t ParseDecimalSaturating(std::string_view text) { return DecimalSaturating(text); }
std::int32_t ParseDecimalSaturating(std::wstring_view text) { return DecimalSaturating(text); }

std::uint32_t ParseUnsignedDecimalSaturating(std::string_view text) {
  return UnsignedDecimalSaturating(text);
}
std::uint32_t ParseUnsignedDecimalSaturating(std::wstring_view text) {
  return UnsignedDecimalSaturating(text);
}

std::uint32_t ParseHexSaturating(std::string_view text) { return HexSaturating(text); }
std::uint32_t ParseHexSaturating(std::wstring_view text) { return HexSaturating(text); }

std::wstring FormatNumber(std::int32_t value, int radix, const char* format) {
  if (format == nullptr) {
    if (radix == 10) format = "%d";
    else if (radix == 16) format = "%X";
    else return {};
  }
  char buffer[64];
  // The format is always one of the program's own literals; battery text never gets here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int length = std::snprintf(buffer, sizeof buffer, format, value);
#pragma GCC diagnostic pop
  return Widen(buffer, length < static_cast<int>(sizeof buffer) ? length : static_cast<int>(sizeof buffer) - 1);
}

std::wstring FormatFixed2(float value) {
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, "%.2f", static_cast<double>(value));
  return Widen(buffer, length < static_cast<int>(sizeof buffer) ? length : static_cast<int>(sizeof buffer) - 1);
}

std::wstring FormatWord(std::uint16_t word) {
  return FormatNumber(static_cast<std::int32_t>(word), 16, "%04X");
}

}  // namespace interp
