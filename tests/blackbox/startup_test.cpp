#include <gtest/gtest.h>

#include "driver.h"
#include "tests/expected.h"

namespace {

using blackbox::Server;

TEST(Startup, OutsideTheServersFolderShowsTheMessageAndEnds) {
  const struct {
    const char* name;
    Server server;
  } cases[] = {{"none", Server::None}, {"folder", Server::Folder}, {"hidden", Server::HiddenFile}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string app = std::string("vigilo_nostart_") + c.name;
    blackbox::DeleteStored(app);
    blackbox::Vigilo v({std::string("startup-") + c.name, app + ".exe", c.server, {}});
    ASSERT_TRUE(v.started());
    HWND box = nullptr;
    ASSERT_TRUE(blackbox::WaitFor(
        [&] {
          // Read once it answers: on a slow machine its first reads can time out.
          for (HWND w : blackbox::TopLevelWindows(v.pid()))
            if (blackbox::ClassOf(w) == "#32770" && ::IsWindowVisible(w) &&
                !blackbox::TextOf(w).empty())
              box = w;
          return box != nullptr;
        },
        blackbox::Scaled(15000)));
    EXPECT_EQ(blackbox::TextOf(box), "Vigilo");
    std::vector<std::string> texts;
    std::vector<int> buttons;  // by id: the caption is in the system's language
    for (HWND child : blackbox::Children(box)) {
      std::string cls = blackbox::ClassOf(child);
      LONG style = ::GetWindowLongA(child, GWL_STYLE);
      if (cls == "Button") buttons.push_back(::GetDlgCtrlID(child));
      if (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON && ::IsWindowVisible(child) &&
          ::SendMessageW(child, STM_GETICON, 0, 0) != 0)
        ADD_FAILURE() << "the message shows an icon";
      if (cls == "Static" && !blackbox::TextOf(child).empty())
        texts.push_back(blackbox::TextOf(child));
    }
    EXPECT_EQ(texts,
              std::vector<std::string>{"This program must be in the same folder as NWServer"});
    EXPECT_EQ(buttons, std::vector<int>{IDOK});
    for (HWND w : blackbox::TopLevelWindows(v.pid()))
      EXPECT_FALSE(::IsWindowVisible(w) && blackbox::TextOf(w) == "Vigilo v1.0 by Valmo");

    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(v.Exited(blackbox::Scaled(10000))) << "the program must end after OK";
    std::wstring stored;
    EXPECT_FALSE(blackbox::ReadStored(app, "SName", &stored)) << "nothing may be written";
  }
}

TEST(Startup, FirstStartShowsDefaultsAndTheDefaultLine) {
  const std::string app = "vigilo_first";
  blackbox::DeleteStored(app);
  blackbox::Vigilo v({"startup-first", app + ".exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  EXPECT_EQ(v.Cmd(), expected::kDefaultLine);
  for (const expected::FieldDefault& d : expected::kDefaults) {
    if (d.text || d.shown[0])
      EXPECT_EQ(blackbox::TextOf(v.Control(d.name)), d.shown) << d.name;
    else
      EXPECT_EQ(::SendMessageW(v.Control(d.name), BM_GETCHECK, 0, 0), d.number) << d.name;
  }
  EXPECT_TRUE(v.Log().empty());
  EXPECT_EQ(::GetWindowLongA(v.Control("cmd"), GWL_STYLE) & SS_NOPREFIX, SS_NOPREFIX);
}

TEST(Startup, ClosingTheWindowSavesNothingAndLeavesTheServerRunning) {
  const std::string app = "vigilo_close";
  blackbox::DeleteStored(app);
  // The stand-in writes the command line it receives, in its current directory.
  blackbox::Vigilo v({"startup-close",
                      app + ".exe",
                      Server::StandIn,
                      {{"NWSTANDIN_CMDLINE_FILE", "received.txt"}}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  const std::string name = "Left Running " + std::to_string(::GetCurrentProcessId());
  blackbox::SetTextOf(v.Control("SName"), name);
  blackbox::SetTextOf(v.Control("PPass"), "a&b \"q\"");
  const std::string shown = v.Cmd();
  v.Click("Start");
  HWND server = nullptr;
  ASSERT_TRUE(blackbox::WaitFor([&] { return (server = blackbox::StandInWindow(name)) != nullptr; },
                                blackbox::Scaled(10000)));
  // The server got exactly the line shown, and was asked for a normal,
  // activated window (show state 1), not one minimised or hidden.
  EXPECT_EQ(blackbox::FileText(v.folder() + "\\received.txt"), shown + "\nshow state 1\n");

  const platform::UniqueHandle serverProcess = blackbox::OpenProcessOf(blackbox::ProcessOf(server));
  ASSERT_TRUE(serverProcess);

  v.Close();
  EXPECT_TRUE(v.Exited(blackbox::Scaled(10000)));
  std::wstring stored;
  EXPECT_FALSE(blackbox::ReadStored(app, "SName", &stored));
  // Vigilo has ended: the server still answers, and runs.
  DWORD_PTR result = 0;
  EXPECT_NE(::SendMessageTimeoutW(server, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0)
      << "the server must outlive the window";
  EXPECT_EQ(::WaitForSingleObject(serverProcess.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ::TerminateProcess(serverProcess.get(), 0);
}

// The executable presents itself as a Windows program should.
TEST(Startup, ExecutableCarriesVersionIconAndManifest) {
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeA(VIGILO_EXE, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(::GetFileVersionInfoA(VIGILO_EXE, 0, size, info.data()));
  const struct {
    const char* field;
    const char* value;
  } fields[] = {{"ProductName", "Vigilo"}, {"ProductVersion", "1.0"}, {"FileVersion", "1.0"}};
  for (const auto& f : fields) {
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904E4\\") + f.field;
    ASSERT_TRUE(
        ::VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        << f.field;
    EXPECT_STREQ(value, f.value) << f.field;
  }

  HMODULE exe = ::LoadLibraryExA(VIGILO_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  EXPECT_NE(::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr) << "icon";
  HRSRC manifest = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(manifest, nullptr);
  const char* text = static_cast<const char*>(::LockResource(::LoadResource(exe, manifest)));
  std::string xml(text, ::SizeofResource(exe, manifest));
  for (const char* part : {"Microsoft.Windows.Common-Controls", "6.0.0.0", "dpiAware",
                           "PerMonitorV2", "supportedOS", "asInvoker"})
    EXPECT_NE(xml.find(part), std::string::npos) << part;
  ::FreeLibrary(exe);
}

}  // namespace
