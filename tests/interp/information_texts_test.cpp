#include "interp/information_texts.h"

#include "interp/invalid_argument.h"

#include <gtest/gtest.h>

#include <string>

namespace interp {
namespace {

BatteryInfo WithNames(std::wstring manufacturer, std::wstring chemistry) {
  BatteryInfo info(1);
  info.manufacturerName = std::move(manufacturer);
  info.deviceChemistry = std::move(chemistry);
  return info;
}

const std::wstring kFullIdentification =
    L"Norvane Battery Identification Key words\n[N][V]\n\n"
    L"Revision of Byte 4~10 Definition\n[1]\n\n"
    L"Gas Gauge Type\n[2] -> BQ20z90\n\n"
    L"Battery ID\n[0][7]\n\n"
    L"Max Dischargeing Current Threshold\n[F] -> 5.0A\n\n"
    L"Dischargeing Over Temperature\n[5] -> 70\u00B0C\n\n"
    L"Battery Very Low Threshold\n[c] -> 2.25V\n\n"
    L"Pack Series and Parallel Number\n[E] -> 3S2P\n\n";

TEST(IdentificationTextTest, TenCharactersGiveEveryPiece) {
  EXPECT_EQ(BuildIdentificationText(WithNames(L"NV1207F5cE", L"LAMX")), kFullIdentification);
  // Characters after the tenth are not part of the text.
  EXPECT_EQ(BuildIdentificationText(WithNames(L"NV1207F5cE-extra", L"LAMX")), kFullIdentification);
}

TEST(IdentificationTextTest, NineCharactersEndAfterTheLastOpeningBracket) {
  const std::wstring text = BuildIdentificationText(WithNames(L"NV1207F5c", L"LAMX"));
  const std::wstring expected = kFullIdentification.substr(
      0, kFullIdentification.find(L"Pack Series and Parallel Number\n[") +
             std::wstring(L"Pack Series and Parallel Number\n[").size());
  EXPECT_EQ(text, expected);
  EXPECT_TRUE(text.ends_with(L"Pack Series and Parallel Number\n["));
}

TEST(IdentificationTextTest, CharactersAreNeverFormattingDirectives) {
  const std::wstring text = BuildIdentificationText(WithNames(L"%s%n%d%%%x", L"LAMX"));
  EXPECT_TRUE(text.starts_with(L"Norvane Battery Identification Key words\n[%][s]\n\n"
                               L"Revision of Byte 4~10 Definition\n[%]\n\n"
                               L"Gas Gauge Type\n[n] -> Unknow\n\n"
                               L"Battery ID\n[%][d]\n\n"
                               L"Max Dischargeing Current Threshold\n[%] -> \n\n"))
      << std::string(text.begin(), text.end());
}

TEST(ChemistryTextTest, LamxDecodesEveryPosition) {
  EXPECT_EQ(BuildChemistryText(WithNames(L"NA", L"LAMX")),
            L"Cell Chemistry\n[L] -> Li-Ion- Cylindrical\n\n"
            L"Cell Supplier\n[A] -> Samsung\n\n"
            L"Vendor\n[M] -> Samsung\n\n"
            L"Reserved\n[X]");
}

TEST(ChemistryTextTest, ThreeCharactersEndAfterTheReservedBracket) {
  EXPECT_EQ(BuildChemistryText(WithNames(L"NA", L"0ZQ")),
            L"Cell Chemistry\n[0] -> Polymer\n\n"
            L"Cell Supplier\n[Z] -> Unknow\n\n"
            L"Vendor\n[Q] -> Unknow\n\n"
            L"Reserved\n[");
}

TEST(InformationTextTest, PositionsBeyondTheTextAreAnInvalidArgument) {
  // The record's initial "NA" fails both builders; so does anything shorter than needed.
  EXPECT_THROW(BuildIdentificationText(BatteryInfo(1)), InvalidArgument);
  EXPECT_THROW(BuildChemistryText(BatteryInfo(2)), InvalidArgument);
  EXPECT_THROW(BuildIdentificationText(WithNames(L"NV1207F5", L"LAMX")), InvalidArgument);
  EXPECT_THROW(BuildIdentificationText(WithNames(L"", L"LAMX")), InvalidArgument);
  EXPECT_THROW(BuildChemistryText(WithNames(L"NV1207F5cE", L"LA")), InvalidArgument);
  try {
    BuildChemistryText(WithNames(L"NV1207F5cE", L""));
    FAIL() << "no error";
  } catch (const InvalidArgument& error) {
    EXPECT_STREQ(error.what(), "The parameter is incorrect.");
  }
}

}  // namespace
}  // namespace interp
