// The invalid-argument failure of the information builders and of the health file loader.
#pragma once

#include <stdexcept>

namespace interp {

// The system's text for an invalid parameter, shown in the standard error box (stop icon).
inline constexpr char kInvalidParameterMessage[] = "The parameter is incorrect.";

// Thrown by BuildIdentificationText and BuildChemistryText when a needed character position
// lies beyond the end of the text. what() is the text to show.
class InvalidArgument : public std::invalid_argument {
 public:
  InvalidArgument() : std::invalid_argument(kInvalidParameterMessage) {}
};

}  // namespace interp
