#include <windows.h>

#include <commctrl.h>

#include "window/form1_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // Links comctl32, so the manifest's version 6 controls take effect. Every
  // comctl32 exports this; NT 4.0's and 95's lack InitCommonControlsEx.
  ::InitCommonControls();

  window::Form1 form;
  if (!form.Create(instance)) return 1;
  if (!form.Form_Load()) return 0;
  form.Show(showCommand);

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    // Tab and Shift+Tab move between the controls as in a dialog.
    if (!::IsDialogMessageA(form.hwnd(), &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  return 0;
}
