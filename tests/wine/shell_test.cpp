#include <windows.h>

#include <gtest/gtest.h>

#include "platform/app_name.h"
#include "platform/shell.h"

namespace {

// A fresh empty folder made current for one test.
class InFreshFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    folder_ = std::string(base) + "vigilo-shell-" + std::to_string(::GetCurrentProcessId()) + "-" +
              std::to_string(::GetTickCount()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    ::GetCurrentDirectoryA(MAX_PATH, previous_);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder_.c_str()));
  }
  void TearDown() override { ::SetCurrentDirectoryA(previous_); }
  static void MakeFile(const char* name, DWORD attributes) {
    HANDLE h = ::CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);
    ASSERT_TRUE(::SetFileAttributesA(name, attributes));
  }
  std::string folder_;
  char previous_[MAX_PATH] = {};
};

TEST_F(InFreshFolder, OrdinaryFilesMatchWhateverTheirReadOnlyOrArchiveBit) {
  EXPECT_FALSE(platform::PlainFileInCurrentDirectory("nwserver.exe"));
  const DWORD kinds[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_ARCHIVE};
  for (DWORD attributes : kinds) {
    MakeFile("nwserver.exe", attributes);
    EXPECT_TRUE(platform::PlainFileInCurrentDirectory("nwserver.exe")) << attributes;
    ::SetFileAttributesA("nwserver.exe", FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA("nwserver.exe");
  }
}

TEST_F(InFreshFolder, FolderHiddenOrSystemFileDoesNotMatch) {
  ASSERT_TRUE(::CreateDirectoryA("nwserver.exe", nullptr));
  EXPECT_FALSE(platform::PlainFileInCurrentDirectory("nwserver.exe")) << "folder";
  ::RemoveDirectoryA("nwserver.exe");
  const DWORD kinds[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM};
  for (DWORD attributes : kinds) {
    MakeFile("nwserver.exe", attributes);
    EXPECT_FALSE(platform::PlainFileInCurrentDirectory("nwserver.exe")) << attributes;
    ::SetFileAttributesA("nwserver.exe", FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA("nwserver.exe");
  }
}

TEST_F(InFreshFolder, LooksInTheCurrentDirectoryOnly) {
  ASSERT_TRUE(::CreateDirectoryA("sub", nullptr));
  MakeFile("sub\\nwserver.exe", FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(platform::PlainFileInCurrentDirectory("nwserver.exe"));
}

// Started through its 8.3 name (a batch file's %~s0, an old scheduler), a
// renamed copy still takes the settings of its own long name.
TEST_F(InFreshFolder, TheApplicationNameOfAShortPathIsTheLongName) {
  MakeFile("vigilo-main.exe", FILE_ATTRIBUTE_NORMAL);
  char shortPath[MAX_PATH];
  const DWORD n = ::GetShortPathNameA((folder_ + "\\vigilo-main.exe").c_str(), shortPath, MAX_PATH);
  ASSERT_TRUE(n > 0 && n < MAX_PATH);
  ASSERT_NE(platform::ApplicationName(shortPath), "vigilo-main") << shortPath;
  EXPECT_EQ(platform::ApplicationName(platform::LongPath(shortPath)), "vigilo-main") << shortPath;
  EXPECT_EQ(platform::LongPath("C:\\not\\there.exe"), "C:\\not\\there.exe");
}

TEST(ErrorText, IsTheSystemSentenceWithoutLineBreak) {
  std::string denied = platform::ErrorText(ERROR_ACCESS_DENIED);
  EXPECT_FALSE(denied.empty());
  EXPECT_EQ(denied.find_first_of("\r\n"), std::string::npos) << denied;
  EXPECT_EQ(platform::ErrorText(0x20000001), "System error 536870913.");
}

// probe.dll lies beside this program, as a planted shcore.dll would beside Vigilo.
TEST(LoadSystemLibrary, NeverTakesADllFromTheProgramsFolder) {
  HMODULE planted = ::LoadLibraryExA("probe.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(planted, nullptr) << "by its bare name the one beside the program is found";
  ::FreeLibrary(planted);
  EXPECT_EQ(platform::LoadSystemLibrary("probe.dll"), nullptr);
  EXPECT_NE(platform::LoadSystemLibrary("version.dll"), nullptr);
}

}  // namespace
