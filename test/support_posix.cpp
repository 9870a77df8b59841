// Running vemblo and making folders on POSIX systems.
#include <fcntl.h>
#include <limits.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support.h"

const char SEPARATOR = '/';

std::string vemblo_path() {
  char self[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length < 0) throw std::runtime_error("cannot find the test program");
  std::string path(self, static_cast<size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + "vemblo";
}

namespace {

// A file for one of the child's output streams, already unlinked: it lives as long as fd.
int make_capture_file() {
  char name[] = "/tmp/vemblo-capture-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("cannot make a capture file");
  unlink(name);
  return fd;
}

std::string read_capture(int fd) {
  std::string content;
  char buffer[4096];
  lseek(fd, 0, SEEK_SET);
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
    content.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return content;
}

}  // namespace

RunResult run_vemblo(const std::string& folder, const std::vector<std::string>& args,
                     const std::vector<std::string>& env) {
  std::string program = vemblo_path();
  std::vector<char*> argv{const_cast<char*>("vemblo")};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int out = make_capture_file();
  int err = make_capture_file();
  pid_t child = fork();
  if (child == 0) {
    setsid();  // no controlling terminal: the usage screen must not wait
    int null_input = open("/dev/null", O_RDONLY);
    dup2(null_input, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const std::string& setting : env) putenv(const_cast<char*>(setting.c_str()));
    if (chdir(folder.c_str()) == 0) execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), "", ""};
  result.out = read_capture(out);
  result.err = read_capture(err);
  return result;
}

std::string make_temp_folder() {
  char name[] = "/tmp/vemblo-test-XXXXXX";
  if (mkdtemp(name) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  char real[PATH_MAX];
  if (realpath(name, real) == nullptr) throw std::runtime_error("cannot resolve the folder");
  return real;
}

void make_folder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) != 0) throw std::runtime_error("cannot make " + path);
}

bool is_folder(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool double_byte_setting(std::vector<std::string>* env) {
  const char* locale = "ja_JP.SJIS";
  locale_t available = newlocale(LC_CTYPE_MASK, locale, nullptr);
  if (available == nullptr) return false;
  freelocale(available);
  env->push_back(std::string("LC_ALL=") + locale);
  return true;
}

std::string entry_suffix(const std::string& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) throw std::runtime_error("cannot look at " + path);
  if (S_ISDIR(status.st_mode)) return "/";
  if (S_ISFIFO(status.st_mode)) return "|";
  if (!S_ISLNK(status.st_mode)) return "";
  char target[PATH_MAX];
  ssize_t length = readlink(path.c_str(), target, sizeof target);
  if (length < 0) throw std::runtime_error("cannot read the link " + path);
  return "->" + std::string(target, static_cast<size_t>(length));
}

void make_link(const std::string& path, const std::string& target) {
  if (symlink(target.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot link " + path);
}

void make_fifo(const std::string& path) {
  if (mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("cannot make " + path);
}

bool entry_exists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}
