// The display's DPI and window frames, as far as the running Windows can
// tell them: each call falls back to what older versions have.
#pragma once

namespace platform {

// The DPI a window (an HWND) is shown at: its own (Windows 10 1607 on), else
// its monitor's (8.1), else the system's. Without a window, the system's.
int WindowDpi(void* window);

struct FrameSize {
  int width = 0, height = 0;
};

// The size of a window of that style (no menu, no extended style) whose
// client area is width by height pixels at that DPI.
FrameSize FrameForClient(int width, int height, unsigned long style, int dpi);

}  // namespace platform
