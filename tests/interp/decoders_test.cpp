#include "interp/identification_decoders.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace interp {
namespace {

using Decoder = std::wstring (*)(wchar_t);

// Every character of 0..255 decodes to the table's text, or to `fallback` when absent.
void ExpectTable(Decoder decode, const std::map<wchar_t, std::wstring>& table,
                 const std::wstring& fallback) {
  for (int c = 0; c < 256; ++c) {
    const auto found = table.find(static_cast<wchar_t>(c));
    const std::wstring expected = found == table.end() ? fallback : found->second;
    EXPECT_EQ(decode(static_cast<wchar_t>(c)), expected) << "character " << c;
  }
}

// Fills table[first + i] = texts[i].
template <std::size_t N>
void AddRun(std::map<wchar_t, std::wstring>& table, wchar_t first, const wchar_t* const (&texts)[N]) {
  for (std::size_t i = 0; i < N; ++i) table[static_cast<wchar_t>(first + static_cast<wchar_t>(i))] = texts[i];
}

TEST(DecoderTest, GaugeType) {
  ExpectTable(DecodeGaugeType,
              {{L'0', L"BQ2060"}, {L'1', L"BQ20z90"}, {L'2', L"BQ20z90"}, {L'4', L"BQ20z40"},
               {L'5', L"BQ20z45"}, {L'6', L"BQ20z455"}, {L'7', L"BQ20z75"}, {L'8', L"BQ20z70"},
               {L'A', L"MAX1789"}, {L'B', L"MAX1788"}, {L'C', L"MAX1786"}},
              L"Unknow");
}

TEST(DecoderTest, ThrottleCurrentHasThreeRangesAndAnEmptyFallback) {
  std::map<wchar_t, std::wstring> table;
  const wchar_t* const digits[] = {L"0.00A", L"0.25A", L"0.50A", L"0.75A", L"1.00A",
                                   L"1.25A", L"1.50A", L"1.75A", L"2.00A", L"2.25A"};
  const wchar_t* const upper[] = {L"2.5A",  L"3.0A",  L"3.5A",  L"4.0A",  L"4.5A",  L"5.0A",
                                  L"5.5A",  L"6.0A",  L"6.5A",  L"7.0A",  L"7.5A",  L"8.0A",
                                  L"8.5A",  L"9.0A",  L"9.5A",  L"10.0A", L"10.5A", L"11.0A",
                                  L"11.5A", L"12.0A", L"12.5A", L"13.0A", L"13.5A", L"14.0A",
                                  L"14.5A", L"15.0A"};
  const wchar_t* const lower[] = {L"2.75A",  L"3.25A",  L"3.75A",  L"4.25A",  L"4.75A",
                                  L"5.25A",  L"5.75A",  L"6.25A",  L"6.75A",  L"7.25A",
                                  L"7.75A",  L"8.25A",  L"8.75A",  L"9.25A",  L"9.75A",
                                  L"10.25A", L"10.75A", L"11.25A", L"11.75A", L"12.25A",
                                  L"12.75A", L"13.25A", L"13.75A", L"14.25A", L"14.75A",
                                  L"15.25A"};
  AddRun(table, L'0', digits);
  AddRun(table, L'A', upper);
  AddRun(table, L'a', lower);
  ExpectTable(DecodeThrottleCurrent, table, L"");
  EXPECT_EQ(DecodeThrottleCurrent(L'F'), L"5.0A");
}

TEST(DecoderTest, ThrottleTemperature) {
  std::map<wchar_t, std::wstring> table{{L'0', L"Battert always Throttling"},
                                        {L'9', L"NO Throttling"}};
  const wchar_t* const degrees[] = {L"50\u00B0C", L"55\u00B0C", L"60\u00B0C", L"65\u00B0C",
                                    L"70\u00B0C", L"75\u00B0C", L"80\u00B0C", L"85\u00B0C"};
  AddRun(table, L'1', degrees);
  ExpectTable(DecodeThrottleTemperature, table, L"Unknow");
}

TEST(DecoderTest, VeryLowVoltageLowerCaseLiesHalfAStepAbove) {
  std::map<wchar_t, std::wstring> table;
  const wchar_t* const upper[] = {L"2.0V", L"2.1V", L"2.2V", L"2.3V", L"2.4V", L"2.5V", L"2.6V",
                                  L"2.7V", L"2.8V", L"2.9V", L"3.0V", L"3.1V", L"3.2V"};
  const wchar_t* const lower[] = {L"2.05V", L"2.15V", L"2.25V", L"2.35V", L"2.45V",
                                  L"2.55V", L"2.65V", L"2.75V", L"2.85V", L"2.95V",
                                  L"3.05V", L"3.15V", L"3.25V"};
  AddRun(table, L'A', upper);
  AddRun(table, L'a', lower);
  ExpectTable(DecodeVeryLowVoltage, table, L"Unknow");
}

TEST(DecoderTest, PackConfig) {
  ExpectTable(DecodePackConfig,
              {{L'A', L"2S1P"}, {L'B', L"3S1P"}, {L'C', L"4S1P"}, {L'D', L"2S2P"}, {L'E', L"3S2P"},
               {L'F', L"4S2P"}, {L'G', L"2S3P"}, {L'H', L"3S3P"}, {L'I', L"4S3P"}, {L'J', L"3S4P"}},
              L"Unknow");
}

TEST(DecoderTest, CellChemistry) {
  ExpectTable(DecodeCellChemistry,
              {{L'0', L"Polymer"}, {L'L', L"Li-Ion- Cylindrical"}, {L'M', L"MiNH"},
               {L'N', L"Nicd"}, {L'P', L"Li-Ion- Prismatic"}},
              L"Unknow");
}

TEST(DecoderTest, CellSupplier) {
  ExpectTable(DecodeCellSupplier,
              {{L'A', L"Samsung"}, {L'B', L"Sony"}, {L'C', L"Sanyo"}, {L'D', L"E-one Moil"},
               {L'E', L"Lion"}, {L'F', L"AOI"}, {L'G', L"LG"}, {L'H', L"Panasonic"},
               {L'K', L"BAK"}, {L'L', L"Lishen"}, {L'P', L"GP"}, {L'R', L"Boston Power"},
               {L'T', L"ATL"}, {L'W', L"TWS"}, {L'X', L"EXA"}, {L'Y', L"BYD"}},
              L"Unknow");
}

TEST(DecoderTest, PackVendor) {
  ExpectTable(DecodePackVendor,
              {{L'A', L"Askey"}, {L'C', L"CPT"}, {L'D', L"Dyna"}, {L'I', L"Simpo"}, {L'L', L"LG"},
               {L'M', L"Samsung"}, {L'O', L"Sony"}, {L'P', L"Panasonic"}, {L'S', L"STL"},
               {L'T', L"TWS"}, {L'W', L"Welldone"}, {L'Y', L"Sanyo"}},
              L"Unknow");
}

TEST(DecoderTest, OnlyTheLowEightBitsCount) {
  const Decoder decoders[] = {DecodeGaugeType,   DecodeThrottleCurrent, DecodeThrottleTemperature,
                              DecodeVeryLowVoltage, DecodePackConfig,    DecodeCellChemistry,
                              DecodeCellSupplier, DecodePackVendor};
  for (Decoder decode : decoders) {
    for (wchar_t c : {L'0', L'5', L'A', L'L', L'a', L'z'}) {
      EXPECT_EQ(decode(static_cast<wchar_t>(c + 0x100)), decode(c)) << "character " << int(c);
      EXPECT_EQ(decode(static_cast<wchar_t>(c + 0x4100)), decode(c)) << "character " << int(c);
    }
  }
}

}  // namespace
}  // namespace interp
