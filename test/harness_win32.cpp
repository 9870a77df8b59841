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

// The C library's own listing stops at 260 bytes, which a path in UTF-8 soon takes.
std::vector<std::string> entry_names(const std::string& path) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return names;
}

std::string entry_suffix(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "?";
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : "";
}

// The code page comes from the system's locale; it cannot be chosen for one process.
bool double_byte_available(const char*) { return GetACP() == 932; }
