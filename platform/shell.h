// Small services of the operating system shell: file lookup, the message box,
// the program's own name, and error codes as sentences.
#pragma once

#include <string>

namespace platform {

// True when an ordinary file of this name is in the current directory; a
// folder, a hidden or a system file does not count.
bool PlainFileInCurrentDirectory(const std::string& name);

// Modal, OK only, no icon.
void ShowMessage(const std::string& text, const std::string& caption);

// Full path of the running executable.
std::string ExecutablePath();

// A DLL from the system folder only. By its bare name, a DLL that is not a
// known DLL is looked for in the program's folder first, where anyone who can
// write there could plant one. Null when the system has none of that name.
void* LoadSystemLibrary(const char* name);

// Text of a system error code, without the trailing line break.
std::string ErrorText(unsigned long code);

}  // namespace platform
