// Number <-> text conversions shared by every window and file of the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace interp {

// Radix 10: leading white space, an optional sign, then decimal digits up to the first
// non-digit; no digits gives 0. Values beyond the 32-bit range saturate (see
// ParseDecimalSaturating).
// Radix 16: an optional leading "0x"/"0X", then every remaining character up to the end is a
// digit by its position in "0123456789ABCDEF" or "0123456789abcdef" (anything else counts as
// 0); value = value * 16 + digit in unsigned 32-bit arithmetic, wrapping.
// Any other radix gives 0.
std::int32_t ParseNumber(std::string_view text, int radix);
std::int32_t ParseNumber(std::wstring_view text, int radix);

// Signed decimal as ParseNumber radix 10, clamped to [INT32_MIN, INT32_MAX].
std::int32_t ParseDecimalSaturating(std::string_view text);
std::int32_t ParseDecimalSaturating(std::wstring_view text);

// Unsigned decimal for the throttle edits: leading white space, an optional sign, digits up
// to the first non-digit. The result never wraps: huge numbers and any negative number other
// than zero give UINT32_MAX, so both are refused as out of range by the caller.
std::uint32_t ParseUnsignedDecimalSaturating(std::string_view text);
std::uint32_t ParseUnsignedDecimalSaturating(std::wstring_view text);

// Hexadecimal as ParseNumber radix 16 (same prefix and digit rules), but the value sticks at
// UINT32_MAX instead of wrapping, so over-long text stays out of range.
std::uint32_t ParseHexSaturating(std::string_view text);
std::uint32_t ParseHexSaturating(std::wstring_view text);

// With a printf format (one integer conversion), the value formatted with it; without one,
// "%d" for radix 10, "%X" for radix 16, an empty text for any other radix.
std::wstring FormatNumber(std::int32_t value, int radix, const char* format = nullptr);

// "%.2f".
std::wstring FormatFixed2(float value);

// A 16-bit word as four upper-case hexadecimal digits, most significant first.
std::wstring FormatWord(std::uint16_t word);

}  // namespace interp
