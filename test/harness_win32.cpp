// The harness's folders and links on Windows.
#include <windows.h>

#include <stdexcept>

#include "harness.h"

const char SEPARATOR = '\\';

std::string make_temp_folder() {
  static unsigned counter = 0;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string name = std::string(temp) + "vemblo-test-" + std::to_string(GetCurrentProcessId()) +
                     "-" + std::to_string(++counter);
  make_entry(name);
  return name;
}

// Windows has no symbolic links for the tests to make.
void make_entry(const std::string& path, const std::string& target, bool) {
  BOOL made = target.empty() ? CreateDirectoryA(path.c_str(), nullptr)
                             : CreateHardLinkA(path.c_str(), target.c_str(), nullptr);
  if (!made) throw std::runtime_error("cannot make " + path);
}

std::string entry_suffix(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "?";
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : "";
}

// The code page comes from the system's locale; it cannot be chosen for one process.
bool double_byte_available(const char*) { return GetACP() == 932; }
