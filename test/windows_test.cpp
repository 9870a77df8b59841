// What only Windows shows in the test program, which has no manifest: a name that reaches the
// program as a look-alike.
#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include <fstream>

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
  // The file of the look-alike name, where "?" does not stand for the character, stays.
  std::vector<std::string> before;
  if (strchr(look_alike, '?') == nullptr) before.emplace_back(look_alike);
  check_folder_case({before, {look_alike}, 2, {}, CANNOT_RENAME + look_alike + "'"});
}

// A short name, as "dir /x" shows it, stands for the long one, which the dated name keeps.
TEST(Windows, ShortNameKeepsTheLongOne) {
  ScopedFolder folder;
  char alias[MAX_PATH];
  std::ofstream(folder / "longfilename.text").close();
  ASSERT_NE(0u, GetShortPathNameA((folder / "longfilename.text").c_str(), alias, MAX_PATH));
  std::string short_name = strrchr(alias, '\\') + 1;
  ASSERT_NE("longfilename.text", short_name);
  check_folder_case(
      {{"longfilename.text"}, {short_name}, 0, {"longfilename{S}.text=longfilename.text"}});
}

}  // namespace
