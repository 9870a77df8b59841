// The harness, alike on every system: folders through the C library, and run_command with its
// standard error going to a file.
#include "harness.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "command.h"

namespace {

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> stamped(std::vector<std::string> names, const std::string& stamp,
                                 const std::string& folder = "") {
  for (std::string& name : names) {
    for (size_t at; (at = name.find("{S}")) != std::string::npos;) name.replace(at, 3, stamp);
    for (size_t at; (at = name.find("{F}")) != std::string::npos;) name.replace(at, 3, folder);
  }
  return names;
}

bool inside_run = false;

}  // namespace

ScopedFolder::ScopedFolder() : path(make_temp_folder()) {}

// Deepest entries first; a link is removed, never followed.
ScopedFolder::~ScopedFolder() {
  std::vector<std::string> all = contents(path);
  for (auto entry = all.rbegin(); entry != all.rend(); ++entry) {
    std::string name = *this / entry->substr(0, std::min(entry->find("->"), entry->find('=')));
    if (unlink(name.c_str()) != 0) rmdir(name.c_str());
  }
  rmdir(path.c_str());
}

void populate(const ScopedFolder& folder, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    size_t arrow = entry.find('>');
    bool hard = arrow != std::string::npos && entry[arrow - 1] == '=';
    if (arrow != std::string::npos) {
      std::string target = entry.substr(arrow + 1);
      make_entry(folder / entry.substr(0, arrow - 1), hard ? folder / target : target, hard);
    } else if (entry.back() == '/') {
      make_entry(folder / entry);
    } else if (!(std::ofstream(folder / entry, std::ios::binary) << entry)) {
      throw std::runtime_error("cannot write " + entry);
    }
  }
}

std::vector<std::string> contents(const std::string& path, const std::string& prefix) {
  std::vector<std::string> all, names = entry_names(path);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string full = path, entry = prefix + name;
    full += SEPARATOR + name;
    std::string suffix = entry_suffix(full), text = suffix.empty() ? read_file(full) : entry;
    all.push_back(entry + suffix + (text == entry ? "" : "=" + text));
    if (suffix != "/") continue;
    for (const std::string& below : contents(full, entry + "/")) all.push_back(below);
  }
  return all;
}

std::string today_stamp() {
  time_t now = time(nullptr);
  char stamp[16];
  (void)strftime(stamp, sizeof stamp, "%y%m%d", localtime(&now));
  return stamp;
}

RunResult run_in(const std::string& folder, std::vector<std::string> args) {
  // A run must return: ending the process would end the suite with a status that says nothing.
  static const int guard = atexit([] {
    if (inside_run) _exit(99);
  });
  ScopedFolder streams;
  FILE* err = fopen((streams / "2").c_str(), "wb");
  int saved = dup(2);
  char home[4096];
  if (guard != 0 || err == nullptr || dup2(fileno(err), 2) < 0 ||
      (!folder.empty() && (!getcwd(home, sizeof home) || chdir(folder.c_str()) != 0))) {
    throw std::runtime_error("cannot run in " + folder);
  }
  args.insert(args.begin(), "vemblo");
  std::vector<char*> argv(args.size() + 1, nullptr);
  for (size_t at = 0; at < args.size(); ++at) argv[at] = &args[at][0];
  inside_run = true;
  int status = run_command(static_cast<int>(args.size()), argv.data());
  inside_run = false;
  dup2(saved, 2), close(saved), fclose(err);
  if (!folder.empty() && chdir(home) != 0) throw std::runtime_error("cannot go back");
  return RunResult{status, read_file(streams / "2")};
}

FolderCase refused(std::vector<std::string> before, std::vector<std::string> args,
                   const std::string& dated, const std::string& reason) {
  std::string to = dated.empty() ? "" : " to '" + dated + "'";
  std::string error = "vemblo: cannot rename '" + args.at(0) + "'" + to + ": " + reason + "\n";
  return FolderCase{std::move(before), std::move(args), 2, {}, error};
}

void check_folder_case(const FolderCase& c) {
  SCOPED_TRACE(testing::PrintToString(c.before) + " " + testing::PrintToString(c.args));
  ScopedFolder folder;
  const std::string stamp = today_stamp();
  populate(folder, stamped(c.before, stamp));
  std::vector<std::string> after = contents(folder.path);
  RunResult run = run_in(folder.path, stamped(c.args, stamp));
  EXPECT_EQ(c.status, run.status);
  if (!c.after.empty()) after = stamped(c.after, stamp), std::sort(after.begin(), after.end());
  EXPECT_EQ(after, contents(folder.path)) << "a run at midnight may see two dates";
  std::string error = stamped({c.error}, stamp, folder.path)[0];
  size_t compared = ON_POSIX ? std::string::npos : error.find('\'', 23);  // to the first name
  EXPECT_EQ(error.substr(0, compared), run.err.substr(0, compared));
  EXPECT_TRUE(run.err.find('\n') + 1 == run.err.size()) << "one line";
}
