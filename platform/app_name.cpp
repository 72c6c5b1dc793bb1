#include "platform/app_name.h"

namespace platform {

std::string ApplicationName(const std::string& executablePath) {
  size_t slash = executablePath.find_last_of("\\/:");
  std::string file = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
  size_t dot = file.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
}

}  // namespace platform
