// The window as the operator sees it: every control of the table in its place
// with its class, caption and font; the tab order by real keystrokes; and
// clicks on what is not wired changing nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "driver.h"
#include "window/layout.h"

namespace {

using blackbox::Server;
using window::ControlKind;

std::string ClassOf(HWND w) {
  char name[64] = {};
  ::GetClassNameA(w, name, sizeof name);
  return name;
}

const char* ExpectedClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox: return "Edit";
    case ControlKind::ComboBox: return "ComboBox";
    case ControlKind::ListBox: return "ListBox";
    case ControlKind::Label: return "Static";
    default: return "Button";
  }
}

RECT ClientRectOf(HWND control, HWND main) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectLayout(const blackbox::Vigilo& v, int dpi) {
  RECT client;
  ::GetClientRect(v.main(), &client);
  EXPECT_EQ(client.right, window::TwipsToPixels(window::kClientWidthTwips, dpi)) << dpi;
  EXPECT_EQ(client.bottom, window::TwipsToPixels(window::kClientHeightTwips, dpi)) << dpi;
  int children = 0;
  for (HWND c = ::GetWindow(v.main(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++children;
  EXPECT_EQ(children, window::kControlCount);
  for (const window::ControlSpec& spec : window::kControls) {
    SCOPED_TRACE(std::string(spec.name) + " at " + std::to_string(dpi) + " DPI");
    HWND c = v.Control(spec.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(ClassOf(c), ExpectedClass(spec.kind));
    window::PixelRect want = window::ClientRect(spec, dpi);
    RECT got = ClientRectOf(c, v.main());
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right - got.left, want.width);
    EXPECT_EQ(got.bottom - got.top, want.height);
  }
}

TEST(Window, EveryControlOfTheTableAt96Dpi) {
  blackbox::Vigilo v({"window-table", "vigilo_window.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  EXPECT_EQ(blackbox::TextOf(v.main()), "Vigilo v1.0 by Valmo");
  ExpectLayout(v, 96);

  for (const window::ControlSpec& spec : window::kControls) {
    SCOPED_TRACE(spec.name);
    HWND c = v.Control(spec.id);
    LONG style = ::GetWindowLongA(c, GWL_STYLE);
    switch (spec.kind) {
      case ControlKind::Label:
        if (std::string(spec.name) != "cmd") {
          EXPECT_EQ(blackbox::TextOf(c), spec.caption);
        }
        EXPECT_TRUE(style & SS_NOPREFIX);
        break;
      case ControlKind::Button:
        EXPECT_EQ(blackbox::TextOf(c), spec.caption);
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
        break;
      case ControlKind::CheckBox:
        EXPECT_EQ(blackbox::TextOf(c), spec.caption);
        EXPECT_EQ(style & BS_TYPEMASK, BS_3STATE);
        break;
      case ControlKind::Frame:
        EXPECT_EQ(blackbox::TextOf(c), spec.caption);
        EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        break;
      case ControlKind::ComboBox:
        EXPECT_EQ(style & 3, CBS_DROPDOWN);
        EXPECT_EQ(style & CBS_SORT, 0);
        break;
      case ControlKind::ListBox:
        EXPECT_EQ(style & LBS_SORT, 0);
        break;
      case ControlKind::TextBox:
        EXPECT_EQ(style & (ES_PASSWORD | ES_MULTILINE), 0);
        break;
    }
  }

  // The choice lists, in their fixed order.
  const struct {
    const char* combo;
    std::vector<std::string> items;
  } lists[] = {
      {"PVP", {"None", "Party", "Full"}},
      {"GType", {"Action", "Story", "Story Lite", "Role Play", "Team", "Melee", "Arena", "Social",
                 "Alternative", "PW Action", "PW Story", "Solo", "Tech Support"}},
      {"Diff", {"Easy", "Normal", "Hardcore", "Difficult"}}};
  for (const auto& l : lists) {
    HWND combo = v.Control(l.combo);
    std::vector<std::string> items;
    LRESULT n = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      wchar_t buffer[64] = {};
      ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
      items.push_back(blackbox::ToAnsi(buffer));
    }
    EXPECT_EQ(items, l.items) << l.combo;
  }
}

struct FontSeen {
  std::string face;
  long height = 0, weight = 0;
  int charset = 0, italic = 0, underline = 0, strikeout = 0;
};

// Fonts as Vigilo's own process sees them, through the probe hook.
std::map<int, FontSeen> ProbeFonts(const blackbox::Vigilo& v) {
  std::map<int, FontSeen> fonts;
  HMODULE dll = ::LoadLibraryA(FONT_PROBE_DLL);
  if (!dll) return fonts;
  auto proc = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(::GetProcAddress(dll, "FontProbeHook@12")));
  if (!proc)
    proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(dll, "FontProbeHook")));
  DWORD thread = ::GetWindowThreadProcessId(v.main(), nullptr);
  HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, proc, dll, thread);
  const std::string file = v.folder() + "\\fontprobe.txt";
  ::DeleteFileA(file.c_str());
  ::PostMessageA(v.main(), ::RegisterWindowMessageA("VigiloFontProbe"), 0, 0);
  blackbox::WaitFor([&] { return ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; },
                    10000);
  if (FILE* in = std::fopen(file.c_str(), "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, in)) {
      int id = 0;
      FontSeen f;
      char face[64] = {};
      if (std::sscanf(line, "%d|%63[^|]|%ld|%ld|%d|%d|%d|%d", &id, face, &f.height, &f.weight,
                      &f.charset, &f.italic, &f.underline, &f.strikeout) == 8) {
        f.face = face;
        fonts[id] = f;
      }
    }
    std::fclose(in);
  }
  if (hook) ::UnhookWindowsHookEx(hook);
  ::FreeLibrary(dll);
  return fonts;
}

TEST(Window, CaptionLabelsAndTheLogUseTheirFonts) {
  blackbox::Vigilo v({"window-fonts", "vigilo_fonts.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  std::map<int, FontSeen> fonts = ProbeFonts(v);
  ASSERT_EQ(fonts.size(), static_cast<size_t>(window::kControlCount));
  std::string defaultFace;
  for (const window::ControlSpec& spec : window::kControls) {
    SCOPED_TRACE(spec.name);
    const FontSeen& f = fonts[spec.id];
    if (spec.font == window::FontKind::Default) {
      // One default font for all the rest: the dialog font, not the captions'.
      if (defaultFace.empty()) defaultFace = f.face;
      EXPECT_EQ(f.face, defaultFace);
      EXPECT_NE(f.face, "MS Sans Serif");
      continue;
    }
    EXPECT_EQ(f.face, "MS Sans Serif");
    EXPECT_EQ(f.height, -13);  // 9.75 pt at 96 DPI
    EXPECT_EQ(f.weight, spec.font == window::FontKind::LogBold ? FW_BOLD : FW_NORMAL);
    EXPECT_EQ(f.charset, ANSI_CHARSET);
    EXPECT_EQ(f.italic + f.underline + f.strikeout, 0);
  }
}

}  // namespace
