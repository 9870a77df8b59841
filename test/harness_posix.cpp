// The harness's folders and links on POSIX systems.
#include <limits.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "harness.h"

const char SEPARATOR = '/';

// Below TMPDIR when it is set, so that the tests can run again on another file system.
std::string make_temp_folder() {
  const char* base = getenv("TMPDIR");
  std::string name = std::string(base != nullptr ? base : "/tmp") + "/vemblo-test-XXXXXX";
  char real[PATH_MAX];
  if (mkdtemp(&name[0]) == nullptr || realpath(name.c_str(), real) == nullptr) {
    throw std::runtime_error(name);
  }
  return real;
}

void make_entry(const std::string& path, const std::string& target, bool hard) {
  int failed = target.empty() ? mkdir(path.c_str(), 0777)
               : hard         ? link(target.c_str(), path.c_str())
                              : symlink(target.c_str(), path.c_str());
  if (failed != 0) throw std::runtime_error("cannot make " + path);
}

std::string entry_suffix(const std::string& path) {
  struct stat status;
  char target[PATH_MAX];
  if (lstat(path.c_str(), &status) != 0) return "?";
  if (S_ISDIR(status.st_mode)) return "/";
  ssize_t length = S_ISLNK(status.st_mode) ? readlink(path.c_str(), target, sizeof target) : -1;
  return length < 0 ? "" : "->" + std::string(target, static_cast<size_t>(length));
}

bool double_byte_available(const char* locale) {
  locale_t available = newlocale(LC_CTYPE_MASK, locale, nullptr);
  if (available != nullptr) freelocale(available);
  return available != nullptr;
}
