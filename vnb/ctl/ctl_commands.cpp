#include "vnb/ctl/ctl_commands.h"

#include "vnb/ctl/status_report.h"
#include "vnb/machine/ec_map.h"
#include "vnb/machine/machine.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

namespace vnb::ctl {
namespace {

constexpr int kBadInput = 2;
constexpr int kNoMachine = 1;

const char kCommands[] =
    "status, profile NAME, battery 1|2 remove|insert, ac on|off, speed X, fault NAME on|off, "
    "ec read ADDR, ec write ADDR VALUE, dump FROM TO";

std::string ProfileNames() {
  std::string names;
  for (std::size_t i = 0; i < ProfileCount(); ++i) names += (i ? ", " : "") + std::string(ProfileAt(i).name);
  return names;
}

std::string FaultNames() {
  std::string names;
  for (std::size_t i = 0; i < FaultCount(); ++i) names += (i ? ", " : "") + std::string(FaultAt(i).name);
  return names;
}

// A hexadecimal number with an optional 0x; saturates so that long text is "over" the limit.
bool ParseHex(const std::string& text, const char* what, unsigned limit, unsigned* value, std::string* error) {
  std::size_t i = (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 2 : 0;
  if (i == text.size()) {
    *error = std::string("not a hexadecimal ") + what + ": \"" + text + "\"";
    return false;
  }
  unsigned long long v = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) {
      *error = std::string("not a hexadecimal ") + what + ": \"" + text + "\"";
      return false;
    }
    v = v * 16 + static_cast<unsigned>(digit);
    if (v > 0xFFFFFFFFull) v = 0xFFFFFFFFull;
  }
  if (v > limit) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s over 0x%X: %s", what, limit, text.c_str());
    *error = buffer;
    return false;
  }
  *value = static_cast<unsigned>(v);
  return true;
}

bool ParseOnOff(const std::string& text, const char* onWord, const char* offWord, bool* on, std::string* error) {
  if (text == onWord) {
    *on = true;
    return true;
  }
  if (text == offWord) {
    *on = false;
    return true;
  }
  *error = "expected " + std::string(onWord) + " or " + offWord + ", not \"" + text + "\"";
  return false;
}

// A checked command: parse fills `apply`, which runs only after the machine is attached.
using Apply = std::function<bool(Machine&, std::ostream&, std::string*)>;

bool NeedArgs(const std::vector<std::string>& a, std::size_t count, const char* usage, std::string* error) {
  if (a.size() < count) {
    *error = std::string("missing argument: ") + usage;
    return false;
  }
  if (a.size() > count) {
    *error = "unexpected argument \"" + a[count] + "\": " + usage;
    return false;
  }
  return true;
}

std::optional<Apply> Parse(const std::vector<std::string>& a, std::string* error) {
  if (a.empty()) {
    *error = std::string("missing command (") + kCommands + ")";
    return std::nullopt;
  }
  const std::string& command = a[0];
  if (command == "status") {
    if (!NeedArgs(a, 1, "status", error)) return std::nullopt;
    return Apply([](Machine& m, std::ostream& out, std::string*) {
      out << StatusReport(m);
      return true;
    });
  }
  if (command == "profile") {
    if (!NeedArgs(a, 2, "profile NAME", error)) return std::nullopt;
    if (!FindProfile(a[1])) {
      *error = "unknown profile \"" + a[1] + "\" (profiles: " + ProfileNames() + ")";
      return std::nullopt;
    }
    const std::string name = a[1];
    return Apply([name](Machine& m, std::ostream&, std::string* e) { return m.SelectProfile(name, e); });
  }
  if (command == "battery") {
    if (!NeedArgs(a, 3, "battery 1|2 remove|insert", error)) return std::nullopt;
    if (a[1] != "1" && a[1] != "2") {
      *error = "no battery \"" + a[1] + "\" (use 1 or 2)";
      return std::nullopt;
    }
    bool insert = false;
    if (!ParseOnOff(a[2], "insert", "remove", &insert, error)) return std::nullopt;
    const std::size_t slot = a[1] == "1" ? 0 : 1;
    return Apply([slot, insert](Machine& m, std::ostream&, std::string* e) { return m.SetBattery(slot, insert, e); });
  }
  if (command == "ac") {
    if (!NeedArgs(a, 2, "ac on|off", error)) return std::nullopt;
    bool on = false;
    if (!ParseOnOff(a[1], "on", "off", &on, error)) return std::nullopt;
    return Apply([on](Machine& m, std::ostream&, std::string*) { return m.SetAc(on); });
  }
  if (command == "speed") {
    if (!NeedArgs(a, 2, "speed X", error)) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double speed = std::strtod(a[1].c_str(), &end);
    if (a[1].empty() || end == nullptr || *end != '\0' || errno != 0 || !std::isfinite(speed) || speed < 0.0 ||
        speed > 1e6) {
      *error = "speed must be a number from 0 to 1000000, not \"" + a[1] + "\"";
      return std::nullopt;
    }
    return Apply([speed](Machine& m, std::ostream&, std::string* e) { return m.SetSpeed(speed, e); });
  }
  if (command == "fault") {
    if (!NeedArgs(a, 3, "fault NAME on|off", error)) return std::nullopt;
    const std::optional<Fault> fault = FindFault(a[1]);
    if (!fault) {
      *error = "unknown fault \"" + a[1] + "\" (faults: " + FaultNames() + ")";
      return std::nullopt;
    }
    bool on = false;
    if (!ParseOnOff(a[2], "on", "off", &on, error)) return std::nullopt;
    const Fault f = *fault;
    return Apply([f, on](Machine& m, std::ostream&, std::string*) { return m.SetFault(f, on); });
  }
  if (command == "ec") {
    if (a.size() < 2) {
      *error = "missing argument: ec read ADDR | ec write ADDR VALUE";
      return std::nullopt;
    }
    if (a[1] == "read") {
      if (!NeedArgs(a, 3, "ec read ADDR", error)) return std::nullopt;
      unsigned address = 0;
      if (!ParseHex(a[2], "address", 0xFFFF, &address, error)) return std::nullopt;
      return Apply([address](Machine& m, std::ostream& out, std::string*) {
        Session session(m, HostRequest::kObserve);  // looking does not disturb a running transaction
        char line[32];
        std::snprintf(line, sizeof line, "0x%04X: 0x%02X\n", address,
                      EcRamRead(session.state(), static_cast<std::uint16_t>(address)));
        out << line;
        return true;
      });
    }
    if (a[1] == "write") {
      if (!NeedArgs(a, 4, "ec write ADDR VALUE", error)) return std::nullopt;
      unsigned address = 0;
      unsigned value = 0;
      if (!ParseHex(a[2], "address", 0xFFFF, &address, error)) return std::nullopt;
      if (!ParseHex(a[3], "value", 0xFF, &value, error)) return std::nullopt;
      return Apply([address, value](Machine& m, std::ostream&, std::string*) {
        Session session(m);
        EcRamWrite(session.state(), static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(value));
        return true;
      });
    }
    *error = "unknown ec command \"" + a[1] + "\" (use read or write)";
    return std::nullopt;
  }
  if (command == "dump") {
    if (!NeedArgs(a, 3, "dump FROM TO", error)) return std::nullopt;
    unsigned from = 0;
    unsigned to = 0;
    if (!ParseHex(a[1], "address", 0xFFFF, &from, error)) return std::nullopt;
    if (!ParseHex(a[2], "address", 0xFFFF, &to, error)) return std::nullopt;
    if (from > to) {
      *error = "FROM is above TO";
      return std::nullopt;
    }
    return Apply([from, to](Machine& m, std::ostream& out, std::string*) {
      std::string text;
      {
        Session session(m, HostRequest::kObserve);
        for (unsigned row = from & ~0xFu; row <= to; row += 16) {
          char line[8];
          std::snprintf(line, sizeof line, "%04X:", row);
          text += line;
          for (unsigned a2 = row; a2 < row + 16; ++a2) {
            if (a2 < from || a2 > to) {
              text += "   ";
            } else {
              std::snprintf(line, sizeof line, " %02X", EcRamRead(session.state(), static_cast<std::uint16_t>(a2)));
              text += line;
            }
          }
          text += "\n";
        }
      }
      out << text;
      return true;
    });
  }
  *error = "unknown command \"" + command + "\" (" + kCommands + ")";
  return std::nullopt;
}

// The error as one line: control characters from echoed arguments are shown escaped.
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
      line += escaped;
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const std::optional<Apply> apply = Parse(args, &error);
  if (!apply) {
    err << "vnbctl: " << OneLine(error) << "\n";
    return kBadInput;
  }
  std::unique_ptr<Machine> machine = Machine::Open(Segment::NameFromEnvironment(), &error);
  if (!machine) {
    err << "vnbctl: " << OneLine(error) << "\n";
    return kNoMachine;
  }
  if (!(*apply)(*machine, out, &error)) {
    err << "vnbctl: " << OneLine(error) << "\n";
    return kBadInput;
  }
  return 0;
}

}  // namespace vnb::ctl
