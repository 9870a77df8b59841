// What only Windows shows: a 32-bit program's names under System32 on 64-bit Windows, and a name
// that reaches the program as a look-alike.
#include <gtest/gtest.h>
#include <windows.h>

#include "harness.h"

namespace {

bool exists(const std::string& name) {
  return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The system sends a 32-bit program's names under System32 to SysWOW64; the run renames the file
// that its name names.
TEST(Windows, System32NotRedirected) {
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) GTEST_SKIP() << "not under WoW64";
  char windows[MAX_PATH];
  ASSERT_NE(0u, GetWindowsDirectoryA(windows, sizeof windows));
  const std::string name = "\\vemblo-test-" + std::to_string(GetCurrentProcessId());
  const std::string system32 = windows + ("\\System32" + name),
                    wow = windows + ("\\SysWOW64" + name);
  PVOID redirection;
  ASSERT_TRUE(Wow64DisableWow64FsRedirection(&redirection));
  FILE* real = fopen(system32.c_str(), "w");
  ASSERT_TRUE(Wow64RevertWow64FsRedirection(redirection));
  FILE* redirected = fopen(wow.c_str(), "w");
  ASSERT_TRUE(real != nullptr && redirected != nullptr);
  fclose(real), fclose(redirected);
  RunResult run = run_in("", {system32});
  ASSERT_TRUE(Wow64DisableWow64FsRedirection(&redirection));  // the names below as they stand
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(exists(system32 + today_stamp()) && exists(wow));
  for (const std::string& left : {system32, wow, system32 + today_stamp(), wow + today_stamp()}) {
    DeleteFileA(left.c_str());
  }
}

// Without the UTF-8 code page, as in this program, which has no manifest, a character the code
// page lacks reaches the program as a look-alike: "ę" as "e", or as "?". The file of that name is
// not renamed, nor anything else. The test runs again in a process whose first argument is the
// name.
TEST(Windows, LookAlikeNotRenamed) {
  const std::wstring name = L"Zdj\u0119cie.jpg";
  if (wcsstr(GetCommandLineW(), name.c_str()) == nullptr) {
    wchar_t self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, MAX_PATH));
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" " + name + L" --gtest_filter=Windows.LookAlikeNotRenamed";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &child));
    DWORD status = 1;
    WaitForSingleObject(child.hProcess, INFINITE);
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hProcess), CloseHandle(child.hThread);
    EXPECT_EQ(0u, status);
    return;
  }
  char look_alike[64];
  ASSERT_NE(0, WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, look_alike, sizeof look_alike,
                                   nullptr, nullptr));
  ScopedFolder folder;
  const std::wstring original = std::wstring(folder.path.begin(), folder.path.end()) + L"\\" + name;
  CloseHandle(CreateFileW(original.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  bool made = strchr(look_alike, '?') == nullptr;  // "?" is no name's
  if (made) populate(folder, {look_alike});
  RunResult run = run_in(folder.path, {look_alike});
  EXPECT_EQ(0u, run.err.find("vemblo: cannot rename '" + std::string(look_alike) + "': "));
  EXPECT_TRUE(GetFileAttributesW(original.c_str()) != INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(!made || exists(folder / look_alike));
  DeleteFileW(original.c_str());
}

}  // namespace
