#include "interp/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace interp {
namespace {

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::uint32_t kUintMax = std::numeric_limits<std::uint32_t>::max();

struct DecimalCase {
  const char* text;
  std::int32_t value;
};

TEST(ParseNumberTest, DecimalReadsSignedDigitsAfterBlanksAndSaturates) {
  const DecimalCase cases[] = {
      {"", 0},           {"abc", 0},          {"-", 0},
      {"42", 42},        {"  \t\r\n 42", 42}, {"+17", 17},
      {"-5", -5},        {"12ab34", 12},      {"1 2", 1},
      {"- 5", 0},        {"007", 7},          {"2147483647", kIntMax},
      {"2147483648", kIntMax}, {"99999999999999999999", kIntMax},
      {"-2147483648", kIntMin}, {"-2147483649", kIntMin},
      {"-99999999999999999999", kIntMin},
  };
  for (const DecimalCase& c : cases) {
    EXPECT_EQ(ParseNumber(std::string(c.text), 10), c.value) << '"' << c.text << '"';
    EXPECT_EQ(ParseDecimalSaturating(std::string(c.text)), c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(ParseNumber(std::wstring(L" -300x"), 10), -300);
}

struct HexCase {
  const char* text;
  std::uint32_t wrapping;
  std::uint32_t saturating;
};

TEST(ParseNumberTest, HexadecimalWrapsWhileTheSaturatingVariantSticks) {
  const HexCase cases[] = {
      {"", 0, 0},
      {"0x", 0, 0},
      {"0X", 0, 0},
      {"0x1F", 0x1F, 0x1F},
      {"1f", 0x1F, 0x1F},
      {"0XaB", 0xAB, 0xAB},
      {"FFFF", 0xFFFF, 0xFFFF},
      {"FFFFF", 0xFFFFF, 0xFFFFF},
      {"1G", 0x10, 0x10},        // a non-digit counts as 0
      {"100", 0x100, 0x100},
      {" 1", 0x01, 0x01},        // the blank is a zero digit, not skipped
      {"x1", 0x01, 0x01},        // no "0x" prefix: 'x' is a zero digit
      {"0x0x1", 0x001, 0x001},
      {"FFFFFFFF", 0xFFFFFFFF, 0xFFFFFFFF},
      {"100000000", 0x0, kUintMax},      // nine digits: wraps to 0, saturates
      {"100000005", 0x5, kUintMax},
      {"0x123456789", 0x23456789, kUintMax},
  };
  for (const HexCase& c : cases) {
    EXPECT_EQ(static_cast<std::uint32_t>(ParseNumber(std::string(c.text), 16)), c.wrapping)
        << '"' << c.text << '"';
    EXPECT_EQ(ParseHexSaturating(std::string(c.text)), c.saturating) << '"' << c.text << '"';
  }
  // A wide character whose low byte looks like a digit is still no digit.
  EXPECT_EQ(ParseNumber(std::wstring(L"1") + wchar_t(0x141), 16), 0x10);
  EXPECT_EQ(ParseHexSaturating(std::wstring(L"0x7F")), 0x7Fu);
}

TEST(ParseNumberTest, OtherRadixGivesZero) {
  EXPECT_EQ(ParseNumber(std::string("12"), 8), 0);
  EXPECT_EQ(ParseNumber(std::wstring(L"12"), 2), 0);
  EXPECT_EQ(ParseNumber(std::string("12"), 0), 0);
}

struct UnsignedCase {
  const char* text;
  std::uint32_t value;
};

TEST(ParseUnsignedDecimalSaturatingTest, NegativeAndHugeNumbersStayOutOfRange) {
  const UnsignedCase cases[] = {
      {"", 0},           {"x", 0},
      {"0", 0},          {"1000", 1000},
      {" 65534", 65534}, {"65535", 65535},
      {"+12", 12},       {"-0", 0},
      {"-5", kUintMax},  {"-1", kUintMax},
      {"4294967295", kUintMax}, {"4294967296", kUintMax},
      {"99999999999999999999999", kUintMax},
      {"12abc", 12},
  };
  for (const UnsignedCase& c : cases) {
    EXPECT_EQ(ParseUnsignedDecimalSaturating(std::string(c.text)), c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(ParseUnsignedDecimalSaturating(std::wstring(L"-5")), kUintMax);
}

TEST(FormatNumberTest, DefaultFormatsByRadixAndExplicitFormats) {
  EXPECT_EQ(FormatNumber(-42, 10), L"-42");
  EXPECT_EQ(FormatNumber(255, 16), L"FF");
  EXPECT_EQ(FormatNumber(0, 16), L"0");
  EXPECT_EQ(FormatNumber(255, 8), L"");
  EXPECT_EQ(FormatNumber(0x1F, 16, "0x%04X"), L"0x001F");
  EXPECT_EQ(FormatNumber(5, 10, "%02d %%"), L"05 %");
  EXPECT_EQ(FormatWord(0x00C0), L"00C0");
  EXPECT_EQ(FormatWord(0xFFFF), L"FFFF");
  EXPECT_EQ(FormatFixed2(31.456f), L"31.46");
  EXPECT_EQ(FormatFixed2(-0.5f), L"-0.50");
  EXPECT_EQ(FormatFixed2(0.0f), L"0.00");
}

}  // namespace
}  // namespace interp
