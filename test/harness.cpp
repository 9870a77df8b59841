// The harness, alike on every system: folders through the C++ library, names read as the C
// library gives them, and run_command with its standard output and error going to a file.
#include "harness.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>

#include "command.h"

namespace fs = std::filesystem;

const char SEPARATOR = static_cast<char>(fs::path::preferred_separator);

namespace {

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The names with the stamp for "{S}" and the folder for "{F}".
std::vector<std::string> stamped(std::vector<std::string> names, const std::string& stamp,
                                 const std::string& folder = "") {
  for (std::string& name : names) {
    for (size_t at; (at = name.find('{')) != std::string::npos;) {
      name.replace(at, 3, name[at + 1] == 'S' ? stamp : folder);
    }
  }
  return names;
}

// Every entry below path, as populate takes them, a file that holds another text than its name as
// "name=text".
std::vector<std::string> contents(const std::string& path, const std::string& prefix = "") {
  std::vector<std::string> all;
  std::set<std::string> names;
  DIR* dir = opendir(path.c_str());
  while (dirent* entry = dir != nullptr ? readdir(dir) : nullptr) names.insert(entry->d_name);
  if (dir != nullptr) closedir(dir);
  names.erase("."), names.erase("..");
  for (const std::string& name : names) {
    std::string full = path + SEPARATOR + name, entry = prefix + name;
    fs::file_status status = fs::symlink_status(full);
    std::string suffix = fs::is_directory(status) ? "/"
                         : fs::is_symlink(status) ? "->" + fs::read_symlink(full).string()
                                                  : "";
    std::string text = suffix.empty() ? read_file(full) : entry;
    all.push_back(entry + suffix + (text == entry ? "" : "=" + text));
    if (suffix != "/") continue;
    for (const std::string& below : contents(full, entry + "/")) all.push_back(below);
  }
  return all;
}

void populate(const ScopedFolder& folder, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    size_t arrow = entry.find('>');
    if (arrow != std::string::npos && entry[arrow - 1] == '=') {
      fs::create_hard_link(folder / entry.substr(arrow + 1), folder / entry.substr(0, arrow - 1));
    } else if (arrow != std::string::npos) {
      fs::create_symlink(entry.substr(arrow + 1), folder / entry.substr(0, arrow - 1));
    } else if (entry.back() == '/') {
      fs::create_directory(folder / entry);
    } else if (!(std::ofstream(folder / entry, std::ios::binary) << entry)) {
      throw std::runtime_error("cannot write " + entry);
    }
  }
}

// Calls run_command in folder with standard output and standard error going to one file, whose
// text, all that a run writes, goes to err; returns the status.
int run_in(const std::string& folder, std::vector<std::string> args, std::string* err) {
  ScopedFolder streams;
  (void)fflush(stdout);
  FILE* out = fopen((streams / "out").c_str(), "wb");
  int saved[] = {dup(1), dup(2)};
  fs::path home = fs::current_path();
  if (out == nullptr || dup2(fileno(out), 1) < 0 || dup2(fileno(out), 2) < 0) {
    throw std::runtime_error("cannot run in " + folder);
  }
  fs::current_path(folder);
  args.insert(args.begin(), "vemblo");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  int status = run_command(static_cast<int>(args.size()), argv.data());
  (void)fflush(stdout);
  dup2(saved[0], 1), dup2(saved[1], 2), close(saved[0]), close(saved[1]), fclose(out);
  fs::current_path(home);
  *err = read_file(streams / "out");
  return status;
}

}  // namespace

// Below TMPDIR where it is set, so that the tests can run again on another file system.
ScopedFolder::ScopedFolder()
    : path([] {
        static std::mt19937 random{std::random_device{}()};
        fs::path folder;
        do folder = fs::temp_directory_path() / ("vemblo-test-" + std::to_string(random()));
        while (!fs::create_directory(folder));
        return fs::canonical(folder).string();
      }()) {}

// A link is removed, never followed.
ScopedFolder::~ScopedFolder() { fs::remove_all(path); }

void check_folder_case(const FolderCase& c) {
  SCOPED_TRACE(testing::PrintToString(c.before) + " " + testing::PrintToString(c.args));
  ScopedFolder folder;
  char stamp[16];
  time_t now = time(nullptr);
  (void)strftime(stamp, sizeof stamp, "%y%m%d", localtime(&now));
  populate(folder, stamped(c.before, stamp));
  std::vector<std::string> after = contents(folder.path);
  std::string err;
  EXPECT_EQ(c.status, run_in(folder.path, stamped(c.args, stamp), &err));
  if (!c.after.empty()) after = stamped(c.after, stamp), std::sort(after.begin(), after.end());
  EXPECT_EQ(after, contents(folder.path)) << "a run at midnight may see two dates";
  std::string error = stamped({c.error}, stamp, folder.path)[0];
  size_t compared = ON_POSIX ? std::string::npos : error.find('\'', CANNOT_RENAME.size());
  EXPECT_EQ(error.substr(0, compared), err.substr(0, compared));
  EXPECT_TRUE(err.find('\n') + 1 == err.size()) << "one line";
}
