#pragma once

#include <string>

namespace platform {

// "C:\\srv\\vigilo.exe" -> "vigilo": the file name without its extension.
std::string ApplicationName(const std::string& executablePath);

}  // namespace platform
