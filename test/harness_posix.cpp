// The harness's folders and links on POSIX systems.
#include <limits.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "harness.h"

const char SEPARATOR = '/';

std::string make_temp_folder() {
  char name[] = "/tmp/vemblo-test-XXXXXX";
  char real[PATH_MAX];
  if (mkdtemp(name) == nullptr || realpath(name, real) == nullptr) {
    throw std::runtime_error("cannot make a temporary folder");
  }
  return real;
}

void make_folder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) != 0) throw std::runtime_error("cannot make " + path);
}

void make_link(const std::string& path, const std::string& target) {
  if (symlink(target.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot link " + path);
}

void make_hard_link(const std::string& path, const std::string& target) {
  if (link(target.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot link " + path);
}

std::string entry_suffix(const std::string& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) return "?";
  if (S_ISDIR(status.st_mode)) return "/";
  if (!S_ISLNK(status.st_mode)) return "";
  char target[PATH_MAX];
  ssize_t length = readlink(path.c_str(), target, sizeof target);
  return "->" + std::string(target, length > 0 ? static_cast<size_t>(length) : 0);
}

bool shift_jis_available() {
  locale_t available = newlocale(LC_CTYPE_MASK, "ja_JP.SJIS", nullptr);
  if (available != nullptr) freelocale(available);
  return available != nullptr;
}

void leave_terminal() { (void)setsid(); }
