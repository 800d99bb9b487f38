#include "interp/information_texts.h"

#include "interp/identification_decoders.h"
#include "interp/invalid_argument.h"

#include <string_view>
#include <utility>

namespace interp {
namespace {

// Appends pieces until the first character position that reads the end of the source text.
class PositionalText {
 public:
  PositionalText(const std::wstring& source, std::size_t highestPosition) : source_(source) {
    if (highestPosition > source.size()) throw InvalidArgument();
  }

  PositionalText& Text(std::wstring_view text) {
    if (!ended_) out_ += text;
    return *this;
  }

  // The character at `position` itself.
  PositionalText& Char(std::size_t position) {
    if (!ended_ && !ReachedEnd(position)) out_.push_back(source_[position]);
    return *this;
  }

  // The character at `position`, then " -> " and its decoded meaning.
  PositionalText& Decoded(std::size_t position, std::wstring (*decoder)(wchar_t)) {
    if (ended_ || ReachedEnd(position)) return *this;
    out_.push_back(source_[position]);
    out_ += L"] -> ";
    out_ += decoder(source_[position]);
    return *this;
  }

  std::wstring Take() { return std::move(out_); }

 private:
  bool ReachedEnd(std::size_t position) {
    if (position == source_.size()) ended_ = true;
    return ended_;
  }

  const std::wstring& source_;
  std::wstring out_;
  bool ended_ = false;
};

}  // namespace

std::wstring BuildIdentificationText(const BatteryInfo& info) {
  PositionalText t(info.manufacturerName, 9);
  t.Text(L"Norvane Battery Identification Key words\n[").Char(0).Text(L"][").Char(1).Text(L"]\n\n");
  t.Text(L"Revision of Byte 4~10 Definition\n[").Char(2).Text(L"]\n\n");
  t.Text(L"Gas Gauge Type\n[").Decoded(3, DecodeGaugeType).Text(L"\n\n");
  t.Text(L"Battery ID\n[").Char(4).Text(L"][").Char(5).Text(L"]\n\n");
  t.Text(L"Max Dischargeing Current Threshold\n[").Decoded(6, DecodeThrottleCurrent).Text(L"\n\n");
  t.Text(L"Dischargeing Over Temperature\n[").Decoded(7, DecodeThrottleTemperature).Text(L"\n\n");
  t.Text(L"Battery Very Low Threshold\n[").Decoded(8, DecodeVeryLowVoltage).Text(L"\n\n");
  t.Text(L"Pack Series and Parallel Number\n[").Decoded(9, DecodePackConfig).Text(L"\n\n");
  return t.Take();
}

std::wstring BuildChemistryText(const BatteryInfo& info) {
  PositionalText t(info.deviceChemistry, 3);
  t.Text(L"Cell Chemistry\n[").Decoded(0, DecodeCellChemistry).Text(L"\n\n");
  t.Text(L"Cell Supplier\n[").Decoded(1, DecodeCellSupplier).Text(L"\n\n");
  t.Text(L"Vendor\n[").Decoded(2, DecodePackVendor).Text(L"\n\n");
  t.Text(L"Reserved\n[").Char(3).Text(L"]");
  return t.Take();
}

}  // namespace interp
