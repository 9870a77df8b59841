// What only Windows shows in the test program, which has no manifest: a name that reaches the
// program as a look-alike.
#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include "harness.h"

namespace {

// Without the UTF-8 code page, as in this program, which has no manifest, a character the code
// page lacks reaches the program as a look-alike: "ę" as "e", or as "?", which may name another
// file. Such an argument is refused. The test runs again in a process whose first argument is the
// name.
TEST(Windows, LookAlikeNotRenamed) {
  const std::wstring name = L"Zdj\u0119cie.jpg";
  if (wcsstr(GetCommandLineW(), name.c_str()) == nullptr) {
    wchar_t self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, MAX_PATH));
    EXPECT_EQ(0, _wspawnl(_P_WAIT, self, L"vemblo_tests", name.c_str(),
                          L"--gtest_filter=Windows.LookAlikeNotRenamed", nullptr));
    return;
  }
  char look_alike[64];
  ASSERT_NE(0, WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, look_alike, sizeof look_alike,
                                   nullptr, nullptr));
  // Refused before any name is composed, the argument gets no dated name in the message, and
  // the file of the look-alike name, where "?" does not stand for the character, stays.
  ScopedFolder folder;
  const std::string other = folder / look_alike;
  if (strchr(look_alike, '?') == nullptr) {
    CloseHandle(CreateFileA(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  }
  RunResult run = run_in(folder.path, {look_alike});
  EXPECT_EQ(0u, run.err.find("vemblo: cannot rename '" + std::string(look_alike) + "': "));
  EXPECT_EQ(strchr(look_alike, '?') == nullptr,
            GetFileAttributesA(other.c_str()) != INVALID_FILE_ATTRIBUTES);
}

// A short name, as "dir /x" shows it, stands for the long one, which the dated name keeps.
TEST(Windows, ShortNameKeepsTheLongOne) {
  ScopedFolder folder;
  char alias[MAX_PATH];
  CloseHandle(CreateFileA((folder / "longfilename.text").c_str(), GENERIC_WRITE, 0, nullptr,
                          CREATE_NEW, 0, nullptr));
  ASSERT_NE(0u, GetShortPathNameA((folder / "longfilename.text").c_str(), alias, MAX_PATH));
  std::string short_name = strrchr(alias, '\\') + 1;
  ASSERT_NE("longfilename.text", short_name);
  check_folder_case(
      {{"longfilename.text"}, {short_name}, 0, {"longfilename{S}.text=longfilename.text"}});
}

}  // namespace
