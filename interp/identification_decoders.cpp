#include "interp/identification_decoders.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace interp {
namespace {

constexpr wchar_t kUnknown[] = L"Unknow";

unsigned char LowByte(wchar_t c) { return static_cast<unsigned char>(static_cast<unsigned>(c) & 0xFFu); }

using Entry = std::pair<unsigned char, const wchar_t*>;

std::wstring Lookup(wchar_t c, std::initializer_list<Entry> table) {
  const unsigned char key = LowByte(c);
  for (const Entry& entry : table) {
    if (entry.first == key) return entry.second;
  }
  return kUnknown;
}

template <typename... Args>
std::wstring Printf(const char* format, Args... args) {
  char buffer[32];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int length = std::snprintf(buffer, sizeof buffer, format, args...);
#pragma GCC diagnostic pop
  std::wstring out;
  for (int i = 0; i < length && i < static_cast<int>(sizeof buffer) - 1; ++i) {
    out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(buffer[i])));
  }
  return out;
}

}  // namespace

std::wstring DecodeGaugeType(wchar_t c) {
  return Lookup(c, {{'0', L"BQ2060"},
                    {'1', L"BQ20z90"},
                    {'2', L"BQ20z90"},
                    {'4', L"BQ20z40"},
                    {'5', L"BQ20z45"},
                    {'6', L"BQ20z455"},
                    {'7', L"BQ20z75"},
                    {'8', L"BQ20z70"},
                    {'A', L"MAX1789"},
                    {'B', L"MAX1788"},
                    {'C', L"MAX1786"}});
}

std::wstring DecodeThrottleCurrent(wchar_t c) {
  const unsigned char b = LowByte(c);
  if (b >= '0' && b <= '9') return Printf("%.2fA", 0.25 * (b - '0'));
  if (b >= 'A' && b <= 'Z') return Printf("%.1fA", 2.5 + 0.5 * (b - 'A'));
  if (b >= 'a' && b <= 'z') return Printf("%.2fA", 2.75 + 0.5 * (b - 'a'));
  return {};
}

std::wstring DecodeThrottleTemperature(wchar_t c) {
  const unsigned char b = LowByte(c);
  if (b >= '1' && b <= '8') return Printf("%d", 50 + 5 * (b - '1')) + L"\u00B0C";
  if (b == '0') return L"Battert always Throttling";
  if (b == '9') return L"NO Throttling";
  return kUnknown;
}

std::wstring DecodeVeryLowVoltage(wchar_t c) {
  const unsigned char b = LowByte(c);
  if (b >= 'A' && b <= 'M') return Printf("%.1fV", 2.0 + 0.1 * (b - 'A'));
  if (b >= 'a' && b <= 'm') return Printf("%.2fV", 2.05 + 0.1 * (b - 'a'));
  return kUnknown;
}

std::wstring DecodePackConfig(wchar_t c) {
  return Lookup(c, {{'A', L"2S1P"},
                    {'B', L"3S1P"},
                    {'C', L"4S1P"},
                    {'D', L"2S2P"},
                    {'E', L"3S2P"},
                    {'F', L"4S2P"},
                    {'G', L"2S3P"},
                    {'H', L"3S3P"},
                    {'I', L"4S3P"},
                    {'J', L"3S4P"}});
}

std::wstring DecodeCellChemistry(wchar_t c) {
  return Lookup(c, {{'0', L"Polymer"},
                    {'L', L"Li-Ion- Cylindrical"},
                    {'M', L"MiNH"},
                    {'N', L"Nicd"},
                    {'P', L"Li-Ion- Prismatic"}});
}

std::wstring DecodeCellSupplier(wchar_t c) {
  return Lookup(c, {{'A', L"Samsung"},
                    {'B', L"Sony"},
                    {'C', L"Sanyo"},
                    {'D', L"E-one Moil"},
                    {'E', L"Lion"},
                    {'F', L"AOI"},
                    {'G', L"LG"},
                    {'H', L"Panasonic"},
                    {'K', L"BAK"},
                    {'L', L"Lishen"},
                    {'P', L"GP"},
                    {'R', L"Boston Power"},
                    {'T', L"ATL"},
                    {'W', L"TWS"},
                    {'X', L"EXA"},
                    {'Y', L"BYD"}});
}

std::wstring DecodePackVendor(wchar_t c) {
  return Lookup(c, {{'A', L"Askey"},
                    {'C', L"CPT"},
                    {'D', L"Dyna"},
                    {'I', L"Simpo"},
                    {'L', L"LG"},
                    {'M', L"Samsung"},
                    {'O', L"Sony"},
                    {'P', L"Panasonic"},
                    {'S', L"STL"},
                    {'T', L"TWS"},
                    {'W', L"Welldone"},
                    {'Y', L"Sanyo"}});
}

}  // namespace interp
