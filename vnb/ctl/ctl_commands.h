// vnbctl's commands: every argument is checked before the machine is touched, so bad input
// changes nothing.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vnb::ctl {

// Runs one command line (without the program name). Returns the exit status: 0 success,
// 2 bad input, 1 the machine could not be reached.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vnb::ctl
