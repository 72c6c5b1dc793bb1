// A stand-in for the dedicated server, for tests and demos: it takes the
// server's options, shows a top-level window titled "NWServer - <name> ..."
// whose title changes every second, and can play the faults a watchdog must
// catch. Chosen by environment variables (inherited through the launch):
//
//   NWSTANDIN_CMDLINE_FILE  append the command line received, and the show
//                           state asked for, to this file
//   NWSTANDIN_FREEZE_AT     stop changing the title from this second on (hung)
//   NWSTANDIN_EXIT_AT       exit by itself at this second (shut down)
//   NWSTANDIN_SHOW_AFTER    show the window only after this many seconds
//   NWSTANDIN_TITLE         a fixed title suffix instead of the uptime counter
//   NWSTANDIN_LAUNCHER      1: start a copy of itself as the real server, and end
//   NWSTANDIN_BREAKAWAY     1: the launcher starts it out of its job, and exits
//                           with 1 when the job does not allow that
//   NWSTANDIN_HOSTED        1: no titled window, only an untitled pop-up, as a
//                           console server whose window a terminal hosts
//   NWSTANDIN_PLAN          per launch: specs separated by '|', each a list of
//                           freeze=N,exit=N,show=N,title=TEXT,launcher=1,hosted=1,
//                           owner=HWND (in decimal: the terminal's window, which
//                           owns the hosted pop-up as a console host makes it);
//                           launch k (counted in nwstandin.count in the current
//                           directory) takes spec k, and the variables above
//                           when it has none.
//
// The buttons "Freeze title" and "Exit" do the same by hand.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kClassName[] = "NWStandInServer";
const char kCounterFile[] = "nwstandin.count";
const char kLaunchedAs[] = "NWSTANDIN_LAUNCHED_AS";  // the launch a launcher's copy stands for
const int kFreezeId = 10, kExitId = 11, kInfoId = 12;

struct Mode {
  int freezeAt = -1, exitAt = -1, showAfter = 0;
  bool launcher = false, hosted = false;
  std::string title;
  HWND owner = nullptr;
};

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

int EnvSeconds(const char* name, int fallback) {
  std::string v = Env(name);
  return v.empty() ? fallback : std::atoi(v.c_str());
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(sep, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

int NextLaunchNumber() {
  int n = 0;
  if (FILE* f = std::fopen(kCounterFile, "r")) {
    if (std::fscanf(f, "%d", &n) != 1) n = 0;
    std::fclose(f);
  }
  ++n;
  if (FILE* f = std::fopen(kCounterFile, "w")) {
    std::fprintf(f, "%d\n", n);
    std::fclose(f);
  }
  return n;
}

Mode ModeFor(int launch) {
  Mode mode;
  mode.freezeAt = EnvSeconds("NWSTANDIN_FREEZE_AT", -1);
  mode.exitAt = EnvSeconds("NWSTANDIN_EXIT_AT", -1);
  mode.showAfter = EnvSeconds("NWSTANDIN_SHOW_AFTER", 0);
  mode.title = Env("NWSTANDIN_TITLE");
  mode.launcher = Env("NWSTANDIN_LAUNCHER") == "1";
  mode.hosted = Env("NWSTANDIN_HOSTED") == "1";
  std::string plan = Env("NWSTANDIN_PLAN");
  if (plan.empty()) return mode;
  std::vector<std::string> specs = Split(plan, '|');
  if (launch > static_cast<int>(specs.size())) return mode;
  for (const std::string& item : Split(specs[launch - 1], ',')) {
    size_t eq = item.find('=');
    if (eq == std::string::npos) continue;
    std::string key = item.substr(0, eq), value = item.substr(eq + 1);
    if (key == "freeze") mode.freezeAt = std::atoi(value.c_str());
    if (key == "exit") mode.exitAt = std::atoi(value.c_str());
    if (key == "show") mode.showAfter = std::atoi(value.c_str());
    if (key == "title") mode.title = value;
    if (key == "launcher") mode.launcher = value == "1";
    if (key == "hosted") mode.hosted = value == "1";
    if (key == "owner")
      mode.owner =
          reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(value.c_str(), nullptr, 10)));
  }
  return mode;
}

std::string ServerName() {
  for (int i = 1; i + 1 < __argc; ++i)
    if (std::string(__argv[i]) == "-servername") return __argv[i + 1];
  return "";
}

struct State {
  Mode mode;
  int launch = 0;
  std::string name;
  DWORD started = 0;
  bool frozen = false, shown = false;
  HWND window = nullptr;
  int showCommand = SW_SHOWNORMAL;
  HINSTANCE instance = nullptr;
} g;

int Elapsed() { return static_cast<int>((::GetTickCount() - g.started) / 1000); }

void UpdateTitle() {
  if (!g.window || g.frozen) return;
  std::string suffix = g.mode.title.empty() ? "#" + std::to_string(g.launch) + " up " +
                                                  std::to_string(Elapsed()) + "s"
                                            : g.mode.title;
  ::SetWindowTextA(g.window, ("NWServer - " + g.name + " " + suffix).c_str());
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kFreezeId) g.frozen = true;
      if (LOWORD(wp) == kExitId) ::DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void CreateServerWindow() {
  if (g.mode.hosted) {  // the title is the terminal's business
    ::CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 10, 10, g.mode.owner, nullptr, g.instance,
                      nullptr);
    return;
  }
  g.window = ::CreateWindowExA(0, kClassName, "NWServer - ", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 420, 150, nullptr, nullptr, g.instance, nullptr);
  HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  std::string info = "Stand-in server, launch #" + std::to_string(g.launch) +
                     ". Freeze the title to play a hung server.";
  HWND controls[] = {
      ::CreateWindowExA(0, "STATIC", info.c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 390, 20, g.window,
                        reinterpret_cast<HMENU>(kInfoId), g.instance, nullptr),
      ::CreateWindowExA(0, "BUTTON", "Freeze title", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 40,
                        120, 28, g.window, reinterpret_cast<HMENU>(kFreezeId), g.instance, nullptr),
      ::CreateWindowExA(0, "BUTTON", "Exit", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 140, 40, 120,
                        28, g.window, reinterpret_cast<HMENU>(kExitId), g.instance, nullptr)};
  for (HWND c : controls) ::SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  UpdateTitle();
  ::ShowWindow(g.window, g.showCommand);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  int elapsed = Elapsed();
  if (g.mode.exitAt >= 0 && elapsed >= g.mode.exitAt) ::ExitProcess(0);
  if (!g.shown && elapsed >= g.mode.showAfter) {
    g.shown = true;
    CreateServerWindow();
  }
  if (g.mode.freezeAt >= 0 && elapsed >= g.mode.freezeAt) g.frozen = true;
  UpdateTitle();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  g.started = ::GetTickCount();
  g.instance = instance;
  g.showCommand = showCommand;
  g.name = ServerName();
  const std::string launchedAs = Env(kLaunchedAs);
  g.launch = launchedAs.empty() ? NextLaunchNumber() : std::atoi(launchedAs.c_str());
  g.mode = ModeFor(g.launch);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  std::string record = Env("NWSTANDIN_CMDLINE_FILE");
  if (!record.empty()) {
    if (FILE* f = std::fopen(record.c_str(), "ab")) {
      std::fprintf(f, "%s\n", ::GetCommandLineA());
      if (startup.dwFlags & STARTF_USESHOWWINDOW)
        std::fprintf(f, "show state %d\n", startup.wShowWindow);
      else
        std::fprintf(f, "show state not given\n");
      std::fclose(f);
    }
  }

  if (g.mode.launcher && launchedAs.empty()) {
    // The real server: this program again, with the same line and show state.
    ::SetEnvironmentVariableA(kLaunchedAs, std::to_string(g.launch).c_str());
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string line = ::GetCommandLineA();
    STARTUPINFOA child = {};
    child.cb = sizeof child;
    child.dwFlags = STARTF_USESHOWWINDOW;
    child.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION info = {};
    const DWORD flags = Env("NWSTANDIN_BREAKAWAY") == "1" ? CREATE_BREAKAWAY_FROM_JOB : 0;
    if (!::CreateProcessA(path, &line[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr, &child,
                          &info))
      return 1;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return 0;
  }

  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  ::RegisterClassA(&wc);

  ::SetTimer(nullptr, 0, 250, Tick);
  Tick(nullptr, 0, 0, 0);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
