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

// Full path of the running executable, in long names.
std::string ExecutablePath();
// The path with each part its long name ("C:\\SRV\\VIGILO~1.EXE" ->
// "C:\\srv\\vigilo-main.exe"), where the system tells (98 and 2000 on;
// NT 4.0 has no GetLongPathNameA); else, or for a path that is not there,
// unchanged.
std::string LongPath(const std::string& path);

// A DLL from the system folder only. By its bare name, a DLL that is not a
// known DLL is looked for in the program's folder first, where anyone who can
// write there could plant one. Null when the system has none of that name.
void* LoadSystemLibrary(const char* name);

// Text of a system error code, without the trailing line break.
std::string ErrorText(unsigned long code);
// The text of the calling thread's last error; a failure that set none
// still must not read as success.
std::string LastErrorText();

}  // namespace platform
