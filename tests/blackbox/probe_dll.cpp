// A hook DLL that the black-box tests load into Vigilo's process, to read
// there what cannot be read from outside. On a registered message it writes a
// file to the current directory:
// "VigiloFontProbe": fontprobe.txt, one line per visible control of the window,
//   id|face|height|weight|charset|italic|underline|strikeout|face found|charset found
//   (font handles cannot be read from another process);
// "VigiloCallProbe": callprobe.txt, one line per privilege call, name|count,
//   the calls Vigilo made through its import table since the DLL was loaded;
// "VigiloCountProbe": countprobe.txt, what the process holds, kind|count:
//   kernel handles, GDI objects, windows, committed private bytes;
// "VigiloDpiProbe": dpiprobe.txt, answered|width|height, what the window
//   answers WM_GETDPISCALEDSIZE for 144 DPI; then sends it WM_DPICHANGED to
//   144 DPI with a suggested rectangle at 50,60 of another size (both carry
//   pointers, so they cannot come from another process); then a second
//   line, how many of the fonts the controls had before still exist;
// "VigiloTimerProbe": timerprobe.txt, refusing|1 or refusing|0: from now on
//   Vigilo's SetTimer fails as with its desktop heap exhausted, or works
//   again; each message turns it over;
// "VigiloLeakProbe": leaks one object of the kind numbered by wParam (in the
//   order of countprobe.txt), so a soak can show that each count sees a leak.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct CountedCall {
  const char* dll;
  const char* name;
  void* hook;
  void* original;
  long count;
};

BOOL WINAPI CountedOpenProcessToken(HANDLE, DWORD, PHANDLE);
BOOL WINAPI CountedLookupPrivilegeValueA(LPCSTR, LPCSTR, PLUID);
BOOL WINAPI CountedAdjustTokenPrivileges(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES,
                                         PDWORD);

UINT_PTR WINAPI RefusableSetTimer(HWND, UINT_PTR, UINT, TIMERPROC);

CountedCall calls[] = {
    {"advapi32.dll", "OpenProcessToken", reinterpret_cast<void*>(CountedOpenProcessToken), nullptr,
     0},
    {"advapi32.dll", "LookupPrivilegeValueA", reinterpret_cast<void*>(CountedLookupPrivilegeValueA),
     nullptr, 0},
    {"advapi32.dll", "AdjustTokenPrivileges", reinterpret_cast<void*>(CountedAdjustTokenPrivileges),
     nullptr, 0},
    {"user32.dll", "SetTimer", reinterpret_cast<void*>(RefusableSetTimer), nullptr, 0},
};
const int kPrivilegeCalls = 3;  // the first rows
bool refuseTimers = false;

template <typename Fn>
Fn Original(int i) {
  ++calls[i].count;
  return reinterpret_cast<Fn>(calls[i].original);
}

BOOL WINAPI CountedOpenProcessToken(HANDLE p, DWORD access, PHANDLE token) {
  return Original<decltype(&::OpenProcessToken)>(0)(p, access, token);
}
BOOL WINAPI CountedLookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid) {
  return Original<decltype(&::LookupPrivilegeValueA)>(1)(system, name, luid);
}
BOOL WINAPI CountedAdjustTokenPrivileges(HANDLE token, BOOL all, PTOKEN_PRIVILEGES set, DWORD n,
                                         PTOKEN_PRIVILEGES old, PDWORD size) {
  return Original<decltype(&::AdjustTokenPrivileges)>(2)(token, all, set, n, old, size);
}
UINT_PTR WINAPI RefusableSetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC proc) {
  if (!refuseTimers) return Original<decltype(&::SetTimer)>(3)(window, id, ms, proc);
  ::SetLastError(ERROR_NOT_ENOUGH_QUOTA);
  return 0;
}

// Points the main module's import slots at the counting versions.
void HookCalls() {
  auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       dir.VirtualAddress && dll->Name; ++dll) {
    auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
    for (; name->u1.AddressOfData; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      const char* imported = reinterpret_cast<char*>(
          reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name);
      for (CountedCall& call : calls) {
        if (std::strcmp(imported, call.name) != 0 ||
            ::lstrcmpiA(reinterpret_cast<char*>(base + dll->Name), call.dll) != 0)
          continue;
        DWORD was = 0;
        ::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &was);
        call.original = reinterpret_cast<void*>(slot->u1.Function);
        slot->u1.Function = reinterpret_cast<ULONG_PTR>(call.hook);
        ::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, was, &was);
      }
    }
  }
}

void WriteFonts(FILE* out, HWND main) {
  for (HWND c = ::GetWindow(main, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (!::IsWindowVisible(c)) continue;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(c, WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    if (!font || !::GetObjectA(font, sizeof lf, &lf)) std::strcpy(lf.lfFaceName, "?");
    // What the font mapper made of the request.
    HDC dc = ::GetDC(c);
    HGDIOBJ was = ::SelectObject(dc, font ? font : ::GetStockObject(SYSTEM_FONT));
    char found[LF_FACESIZE] = "?";
    ::GetTextFaceA(dc, LF_FACESIZE, found);
    // A substitute ("MS Shell Dlg") keeps the name asked for; the font's own
    // family name says which font it is.
    if (UINT size = ::GetOutlineTextMetricsA(dc, 0, nullptr)) {
      std::vector<char> metrics(size);
      auto* otm = reinterpret_cast<OUTLINETEXTMETRICA*>(metrics.data());
      if (::GetOutlineTextMetricsA(dc, size, otm))
        std::snprintf(found, sizeof found, "%s",
                      metrics.data() + reinterpret_cast<UINT_PTR>(otm->otmpFamilyName));
    }
    int foundCharset = ::GetTextCharset(dc);
    ::SelectObject(dc, was);
    ::ReleaseDC(c, dc);
    std::fprintf(out, "%d|%s|%ld|%ld|%d|%d|%d|%d|%s|%d\n", ::GetDlgCtrlID(c), lf.lfFaceName,
                 lf.lfHeight, lf.lfWeight, lf.lfCharSet, lf.lfItalic, lf.lfUnderline,
                 lf.lfStrikeOut, found, foundCharset);
  }
}

void WriteCalls(FILE* out, HWND) {
  for (int i = 0; i < kPrivilegeCalls; ++i)
    std::fprintf(out, "%s|%ld\n", calls[i].name, calls[i].count);
}

void TurnTimersOver(FILE* out, HWND) {
  refuseTimers = !refuseTimers;
  std::fprintf(out, "refusing|%d\n", refuseTimers ? 1 : 0);
}

// Wine reports 0 for GetProcessHandleCount, GetGuiResources and
// PrivateUsage, so each count comes from probing or walking instead.
long KernelHandles() {
  long n = 0;
  DWORD flags = 0;
  for (ULONG_PTR value = 4; value < 0x10000; value += 4)
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++n;
  return n;
}

long GdiObjects() {
  long n = 0;  // a handle's index alone names the object (its high word may be 0)
  for (ULONG_PTR index = 1; index < 0x10000; ++index)
    if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++n;
  return n;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != ::GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<long*>(count);
  ::EnumChildWindows(window, CountWindow, count);
  return TRUE;
}

long Windows() {
  long n = 0;
  ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&n));
  return n;
}

long PrivateBytes() {
  long bytes = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
      bytes += static_cast<long>(region.RegionSize);
  return bytes;
}

void WriteCounts(FILE* out, HWND) {
  std::fprintf(out, "handles|%ld\ngdi|%ld\nwindows|%ld\nprivate|%ld\n", KernelHandles(),
               GdiObjects(), Windows(), PrivateBytes());
}

void Leak(WPARAM kind) {
  switch (kind) {
    case 0:
      ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
      break;
    case 1:
      ::CreateSolidBrush(RGB(1, 2, 3));
      break;
    case 2:
      ::CreateWindowExA(0, "STATIC", "leak", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                        nullptr);
      break;
    case 3:
      ::VirtualAlloc(nullptr, 320 * 1024, MEM_COMMIT, PAGE_READWRITE);
      break;
    default:
      break;
  }
}

void ChangeDpi(FILE* out, HWND main) {
  SIZE size = {0, 0};
  LRESULT answered =
      ::SendMessageA(main, 0x02E4 /* WM_GETDPISCALEDSIZE */, 144, reinterpret_cast<LPARAM>(&size));
  std::fprintf(out, "%d|%ld|%ld\n", answered ? 1 : 0, size.cx, size.cy);
  std::vector<HGDIOBJ> fonts;
  for (HWND c = ::GetWindow(main, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    fonts.push_back(reinterpret_cast<HGDIOBJ>(::SendMessageA(c, WM_GETFONT, 0, 0)));
  RECT suggested = {50, 60, 50 + 400, 60 + 300};
  ::SendMessageA(main, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
  int left = 0;  // a deleted font no longer answers
  LOGFONTA font;
  for (HGDIOBJ f : fonts) left += f && ::GetObjectA(f, sizeof font, &font) ? 1 : 0;
  std::fprintf(out, "%d\n", left);
}

// Written under another name first, so a reader never sees half a file.
void Answer(const char* file, void (*write)(FILE*, HWND), HWND main) {
  char temporary[MAX_PATH];
  std::snprintf(temporary, sizeof temporary, "%s.tmp", file);
  if (FILE* out = std::fopen(temporary, "w")) {
    write(out, main);
    std::fclose(out);
    ::MoveFileA(temporary, file);
  }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) HookCalls();
  return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT fontProbe = ::RegisterWindowMessageA("VigiloFontProbe");
  static const UINT callProbe = ::RegisterWindowMessageA("VigiloCallProbe");
  static const UINT countProbe = ::RegisterWindowMessageA("VigiloCountProbe");
  static const UINT leakProbe = ::RegisterWindowMessageA("VigiloLeakProbe");
  static const UINT dpiProbe = ::RegisterWindowMessageA("VigiloDpiProbe");
  static const UINT timerProbe = ::RegisterWindowMessageA("VigiloTimerProbe");
  const MSG* msg = reinterpret_cast<const MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == fontProbe)
    Answer("fontprobe.txt", WriteFonts, msg->hwnd);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == callProbe)
    Answer("callprobe.txt", WriteCalls, nullptr);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == countProbe)
    Answer("countprobe.txt", WriteCounts, nullptr);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == leakProbe) Leak(msg->wParam);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == dpiProbe)
    Answer("dpiprobe.txt", ChangeDpi, msg->hwnd);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == timerProbe)
    Answer("timerprobe.txt", TurnTimersOver, nullptr);
  return ::CallNextHookEx(nullptr, code, wp, lp);
}
