#include "hw/iec_basic.h"

#include <cstring>

namespace hw {

std::uint32_t IEcBasic::GetProjectClass() {
  if (::strnlen(versionText, sizeof versionText) < 4) return projectClass;
  const char first = versionText[2];
  const char second = versionText[3];
  if (first == 'S' && second == 'L') {
    projectClass = kProjectClassSl;
  } else if ((first == 'K' && second == 'L') || (first == 'A' && second == 'P')) {
    projectClass = kProjectClassKl;
  }
  return projectClass;
}

}  // namespace hw
