// vnbctl: inspect and steer the virtual notebook (the machine named by PACKWATCH_VNB).
#include "vnb/ctl/ctl_commands.h"

#include <iostream>

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vnb::ctl::Run(args, std::cout, std::cerr);
}
