// The text of `vnbctl status`: profile, AC, both batteries as a table, the EC's identity.
#pragma once

#include "vnb/machine/machine.h"

#include <string>

namespace vnb::ctl {

std::string StatusReport(Machine& machine);

}  // namespace vnb::ctl
