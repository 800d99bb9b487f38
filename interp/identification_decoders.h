// Decoders of the maker's identification characters. Each looks at the low eight bits of the
// character only and never fails: an unknown character gives "Unknow" (DecodeThrottleCurrent:
// an empty text).
#pragma once

#include <string>

namespace interp {

// Manufacturer-name bytes 4, 7, 8, 9 and 10 (positions 3, 6, 7, 8, 9).
std::wstring DecodeGaugeType(wchar_t c);
std::wstring DecodeThrottleCurrent(wchar_t c);
std::wstring DecodeThrottleTemperature(wchar_t c);
std::wstring DecodeVeryLowVoltage(wchar_t c);
std::wstring DecodePackConfig(wchar_t c);

// Device-chemistry positions 0, 1 and 2.
std::wstring DecodeCellChemistry(wchar_t c);
std::wstring DecodeCellSupplier(wchar_t c);
std::wstring DecodePackVendor(wchar_t c);

}  // namespace interp
