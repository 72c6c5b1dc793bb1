#include <gtest/gtest.h>

#include "driver.h"

namespace {

using blackbox::Server;

const char* const kKeys[] = {"SName",  "MName",  "Port",     "PVP",    "GType", "Diff",  "Players",
                             "MinLvl", "MaxLvl", "AutoSave", "PPass",  "DPass", "APass", "Pub",
                             "ELC",    "ILR",    "Party",    "Reload", "SVault"};

HWND ComboEdit(HWND combo) { return ::FindWindowExW(combo, nullptr, L"Edit", nullptr); }

void Key(HWND target, UINT vk) {
  DWORD_PTR r = 0;
  ::SendMessageTimeoutW(target, WM_KEYDOWN, vk, 1, SMTO_ABORTIFHUNG, 5000, &r);
  ::SendMessageTimeoutW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u), SMTO_ABORTIFHUNG,
                        5000, &r);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Settings, EditsRebuildTheLineAtOnce) {
  blackbox::DeleteStored("vigilo_edits");
  blackbox::Vigilo v({"settings-edits", "vigilo_edits.exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);

  // Keystroke by keystroke.
  std::string typed = "My Server";
  Key(v.Control("SName"), VK_END);
  for (char ch : std::string("a&b")) {
    v.Type("SName", std::string(1, ch));
    typed += ch;
    EXPECT_TRUE(Contains(v.Cmd(), "-servername \"" + typed + "\" -module")) << v.Cmd();
  }

  // A check box toggles, and a second click restores the line.
  std::string before = v.Cmd();
  v.Click("ILR");
  EXPECT_TRUE(Contains(v.Cmd(), " -ilr 1 ")) << v.Cmd();
  v.Click("ILR");
  EXPECT_EQ(v.Cmd(), before);

  // Choosing from the list rebuilds; typing into the combo's edit field does not.
  Key(ComboEdit(v.Control("Diff")), VK_DOWN);
  EXPECT_TRUE(Contains(v.Cmd(), " -difficulty 3 ")) << v.Cmd();
  before = v.Cmd();
  HWND diffEdit = ComboEdit(v.Control("Diff"));
  Key(diffEdit, VK_END);
  DWORD_PTR r = 0;
  ::SendMessageTimeoutW(diffEdit, WM_CHAR, L'x', 1, SMTO_ABORTIFHUNG, 5000, &r);
  EXPECT_NE(blackbox::TextOf(diffEdit), "Hardcore") << "the edit field took the key";
  EXPECT_EQ(v.Cmd(), before);

  // Any text goes: no refusal, no correction, passwords in clear.
  blackbox::SetTextOf(v.Control("Port"), "");
  EXPECT_TRUE(Contains(v.Cmd(), " -port  -pvp 2 ")) << v.Cmd();
  blackbox::SetTextOf(v.Control("Players"), "lots");
  EXPECT_EQ(blackbox::TextOf(v.Control("Players")), "lots");
  EXPECT_EQ(::GetWindowLongA(v.Control("PPass"), GWL_STYLE) & ES_PASSWORD, 0);

  // No length limit of the text box's own (30,000 by default), as typed or
  // pasted: WM_SETTEXT would pass any limit.
  std::string longName(40000, 'n');
  blackbox::SetTextOf(v.Control("MName"), "");
  const std::wstring pasted = blackbox::ToWide(longName);
  ::SendMessageW(v.Control("MName"), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
  EXPECT_EQ(blackbox::TextOf(v.Control("MName")).size(), longName.size());
  EXPECT_TRUE(Contains(v.Cmd(), "\"" + longName + "\""));

  // Saving does not rebuild, and nothing is logged.
  before = v.Cmd();
  v.Click("Save");
  EXPECT_EQ(v.Cmd(), before);
  EXPECT_TRUE(v.Log().empty());
}

TEST(Settings, SaveWritesAllNineteenAndARestartLoadsThem) {
  const std::string app = "vigilo_saved";
  blackbox::DeleteStored(app);
  std::string savedLine;
  {
    blackbox::Vigilo v({"settings-save", app + ".exe", Server::StandIn, {}});
    ASSERT_NE(v.WaitForMainWindow(), nullptr);
    blackbox::SetTextOf(v.Control("SName"), "Caf\xE9 \xDCn\xEF\x63ode");
    blackbox::SetTextOf(v.Control("DPass"), "");
    Key(ComboEdit(v.Control("GType")), VK_DOWN);
    v.Click("Party");
    v.Click("Pub");
    savedLine = v.Cmd();
    v.Click("Save");
    v.Close();
    ASSERT_TRUE(v.Exited(10000));
  }
  const struct {
    const char* key;
    std::wstring value;
  } expected[] = {{"SName", L"Caf\u00e9 \u00dcn\u00efcode"},
                  {"MName", L"My Module"},
                  {"Port", L"5121"},
                  {"PVP", L"2"},
                  {"GType", L"1"},
                  {"Diff", L"1"},
                  {"DPass", L""},
                  {"APass", L"Chief417"},
                  {"Pub", L"0"},
                  {"Party", L"1"},
                  {"SVault", L"0"}};
  for (const auto& e : expected) {
    std::wstring stored;
    ASSERT_TRUE(blackbox::ReadStored(app, e.key, &stored)) << e.key;
    EXPECT_EQ(stored, e.value) << e.key;
  }
  int written = 0;
  for (const char* key : kKeys) {
    std::wstring stored;
    written += blackbox::ReadStored(app, key, &stored);
  }
  EXPECT_EQ(written, 19);

  blackbox::Vigilo again({"settings-save", app + ".exe", Server::StandIn, {}});
  ASSERT_NE(again.WaitForMainWindow(), nullptr);
  EXPECT_EQ(again.Cmd(), savedLine);
  EXPECT_TRUE(Contains(again.Cmd(), "-servername \"Caf\xE9 \xDCn\xEF\x63ode\"")) << again.Cmd();
}

TEST(Settings, StoredEdgeAndMalformedValuesLoad) {
  const std::string app = "vigilo_malformed";
  blackbox::DeleteStored(app);
  blackbox::WriteStored(app, "PVP", L"abc");
  blackbox::WriteStored(app, "GType", L"-1");
  blackbox::WriteStored(app, "Diff", L"99");
  blackbox::WriteStored(app, "Pub", L"2");
  blackbox::WriteStored(app, "Port", L"not a port");
  blackbox::Vigilo v({"settings-malformed", app + ".exe", Server::StandIn, {}});
  ASSERT_NE(v.WaitForMainWindow(), nullptr);
  EXPECT_EQ(v.Log(), (std::vector<std::string>{
                         "Stored setting PVP (\"abc\") is invalid; using the default.",
                         "Stored setting Diff (\"99\") is invalid; using the default."}));
  EXPECT_TRUE(Contains(v.Cmd(), " -port not a port -pvp 2 -gametype-1 -difficulty 2 ")) << v.Cmd();
  EXPECT_TRUE(Contains(v.Cmd(), " -publicserver 2 ")) << v.Cmd();
  EXPECT_EQ(::SendMessageW(v.Control("Pub"), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  // An operator's click on a grayed box never leaves it grayed.
  v.Click("Pub");
  EXPECT_NE(::SendMessageW(v.Control("Pub"), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_FALSE(Contains(v.Cmd(), " -publicserver 2 "));
}

}  // namespace
