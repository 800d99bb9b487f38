#include "app/health_table.h"

#include "interp/file_text.h"
#include "interp/number_text.h"

#include <fstream>
#include <iterator>
#include <string>

namespace app {
namespace {

std::vector<std::string_view> SplitFields(std::string_view line, std::size_t wanted) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start <= line.size() && fields.size() < wanted) {
    std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) comma = line.size();
    if (comma > start) fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
  return fields;
}

std::wstring LowerAsciiLetters(std::string_view field) {
  std::wstring key = interp::WidenLatin1(field);
  for (wchar_t& c : key) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return key;
}

}  // namespace

HealthTableLoad ParseHealthTable(std::string_view bytes) {
  HealthTableLoad load;
  load.outcome = HealthTableLoad::Outcome::kLoaded;
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (end < bytes.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = next;
    ++lineNumber;

    const std::vector<std::string_view> fields = SplitFields(line, 3);
    if (fields.size() < 2) {
      load.outcome = HealthTableLoad::Outcome::kShortLine;
      load.shortLineNumber = lineNumber;
      break;
    }
    load.items.push_back({LowerAsciiLetters(fields[0]), interp::WidenLatin1(fields[1]),
                          fields.size() > 2 ? interp::ParseDecimalSaturating(fields[2]) : 0});
  }
  return load;
}

HealthTableLoad LoadHealthTable(const std::filesystem::path& file) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(file, ignored)) return {};  // missing, or a folder
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return {};
  return ParseHealthTable(bytes);
}

HealthTableLoad LoadHealthTable(interp::BatteryRecord& firstBattery,
                                const std::filesystem::path& file) {
  HealthTableLoad load = LoadHealthTable(file);
  firstBattery.SetHealthTable(load.items);
  return load;
}

}  // namespace app
