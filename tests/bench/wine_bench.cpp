// Figures taken from a parent inside Wine, side by side in one run:
// start-to-window and working set of vigilo.exe against the floor (the same
// window with no logic) and notepad.exe (rounds of the three, the order
// alternating, medians), one keystroke at the end of SName handled and
// painted with 9 and with 30,000 characters in the box, and one watchdog tick
// with 200 real top-level windows open. Prints Markdown table rows.
//
// wine_bench <vigilo.exe> <nwserver.exe> <floor.exe> <scratch folder> [pairs]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "window/form1_win.h"
#include "window/layout.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindShown(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(w, &pid);
  if (pid != s->pid || !::IsWindowVisible(w)) return TRUE;
  s->found = w;
  return FALSE;
}

// A program started in a folder, until its first top-level window is shown.
struct Started {
  PROCESS_INFORMATION pi = {};
  HWND window = nullptr;
  double ms = 0;
  Started(const std::string& exe, const std::string& folder) {
    std::string line = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    const double t0 = Now();
    if (!::CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, &pi)) {
      std::fprintf(stderr, "cannot start %s\n", exe.c_str());
      std::exit(1);
    }
    Search s{pi.dwProcessId, nullptr};
    while (::EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s)), !s.found) ::Sleep(1);
    ms = Now() - t0;
    window = s.found;
  }
  ~Started() {
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
  }
  double WorkingSetKiB() const {
    ::Sleep(500);  // settled: the first paint and idle work done
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / 1024;
  }
  HWND Control(const char* name) const {
    return ::GetDlgItem(window, window::FindControl(name)->id);
  }
};

void Row(const char* what, double vigilo, double floor, double notepad, const char* unit) {
  std::printf("| %s | %.1f %s | %.1f %s | %.1f %s |\n", what, vigilo, unit, floor, unit, notepad,
              unit);
}

// One WM_CHAR at the end of SName, and the window painted after it.
double Keystroke(const Started& v, size_t length, int repeats) {
  HWND edit = v.Control("SName");
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::string(length, 'a').c_str()));
    ::SendMessageA(edit, EM_SETSEL, length, static_cast<LPARAM>(length));
    ::RedrawWindow(v.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double t0 = Now();
    ::SendMessageA(edit, WM_CHAR, 'x', 1);
    ::RedrawWindow(v.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    times.push_back(Now() - t0);
  }
  return Median(times);
}

HWND StandIn() { return ::FindWindowA("NWStandInServer", nullptr); }

// One watchdog tick, healthy, with 200 more top-level windows on the desktop.
double Tick(const Started& v, int repeats) {
  std::vector<HWND> crowd;
  crowd.reserve(200);
  for (int i = 0; i < 200; ++i)
    crowd.push_back(::CreateWindowExA(0, "STATIC", ("Window " + std::to_string(i)).c_str(),
                                      WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  ::SendMessageA(v.Control("SName"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Bench"));
  ::SendMessageA(v.Control("Start"), BM_CLICK, 0, 0);
  while (!StandIn()) ::Sleep(5);
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    ::SetWindowTextA(StandIn(), ("NWServer - Bench " + std::to_string(i)).c_str());
    const double t0 = Now();
    ::SendMessageA(v.window, WM_TIMER, window::kTimer1Id, 0);
    times.push_back(Now() - t0);
  }
  ::SendMessageA(v.Control("Kill"), BM_CLICK, 0, 0);
  for (HWND w : crowd) ::DestroyWindow(w);
  return Median(times);
}

// The check box captions as Wine renders them in the window's default font
// ("MS Shell Dlg" 8 pt at 96 DPI): one line's width against the room beside
// the check mark.
void CaptionWidths() {
  HDC dc = ::CreateCompatibleDC(nullptr);
  HFONT font = ::CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Shell Dlg");
  HGDIOBJ old = ::SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  ::GetTextFaceA(dc, LF_FACESIZE, face);
  TEXTMETRICA metrics = {};
  ::GetTextMetricsA(dc, &metrics);
  const int checkRoom = ::GetSystemMetrics(SM_CXMENUCHECK) + 4;  // mark and gap
  std::printf(
      "\nCheck box captions, rendered in %s, %ld px a line:\n\n"
      "| caption | one line | room beside the mark |\n|---|---|---|\n",
      face, metrics.tmHeight);
  for (const window::ControlSpec& spec : window::kControls) {
    if (spec.kind != window::ControlKind::CheckBox) continue;
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, spec.caption, static_cast<int>(std::strlen(spec.caption)), &size);
    std::printf("| %s | %ld px | %d px |\n", spec.caption, size.cx,
                window::ClientRect(spec, 96).width - checkRoom);
  }
  ::DeleteObject(::SelectObject(dc, old));
  ::DeleteDC(dc);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: wine_bench vigilo.exe nwserver.exe floor.exe folder [pairs]\n");
    return 2;
  }
  const std::string folder = argv[4];
  const int pairs = argc > 5 ? std::atoi(argv[5]) : 10;
  ::CreateDirectoryA(folder.c_str(), nullptr);
  ::CopyFileA(argv[1], (folder + "\\vigilo.exe").c_str(), FALSE);
  ::CopyFileA(argv[2], (folder + "\\nwserver.exe").c_str(), FALSE);
  ::CopyFileA(argv[3], (folder + "\\floor.exe").c_str(), FALSE);
  char windows[MAX_PATH];
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string programs[3] = {folder + "\\vigilo.exe", folder + "\\floor.exe",
                                   std::string(windows) + "\\notepad.exe"};
  ::SetEnvironmentVariableA("NWSTANDIN_FREEZE_AT", "0");  // titles change only when told

  std::vector<double> ms[3], kib[3], toFloor, toNotepad;
  for (int i = 0; i <= pairs; ++i) {
    double round[3];
    for (int k = 0; k < 3; ++k) {  // one at a time; every other round backwards
      const int which = i % 2 ? 2 - k : k;
      Started program(programs[which], folder);
      round[which] = program.ms;
      if (i > 0) kib[which].push_back(program.WorkingSetKiB());
    }
    if (i == 0) continue;  // the first round warms Wine's caches
    for (int which = 0; which < 3; ++which) ms[which].push_back(round[which]);
    toFloor.push_back(round[0] / round[1]);
    toNotepad.push_back(round[0] / round[2]);
  }
  std::printf("| measure | vigilo.exe | floor | notepad.exe |\n|---|---|---|---|\n");
  Row("start to window shown (median)", Median(ms[0]), Median(ms[1]), Median(ms[2]), "ms");
  Row("working set once shown (median)", Median(kib[0]), Median(kib[1]), Median(kib[2]), "KiB");
  std::printf(
      "\nStart to window, median of the %d rounds' own ratios: %.2fx the floor, %.2fx notepad\n",
      pairs, Median(toFloor), Median(toNotepad));

  Started v(programs[0], folder);
  std::printf("\n| measure | median |\n|---|---|\n");
  std::printf("| keystroke handled and painted, 9 characters in SName | %.2f ms |\n",
              Keystroke(v, 9, 20));
  std::printf("| keystroke handled and painted, 30,000 characters in SName | %.2f ms |\n",
              Keystroke(v, 30000, 20));
  std::printf("| watchdog tick, 200 more top-level windows open | %.2f ms |\n", Tick(v, 30));
  CaptionWidths();
  return 0;
}
