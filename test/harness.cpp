// The harness, alike on every system: folders through the C library, and run_command with its
// standard output and error going to files.
#include "harness.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "command.h"

namespace {

std::string read_file(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  std::string content;
  for (int c; file != nullptr && (c = getc(file)) != EOF;) content += static_cast<char>(c);
  if (file != nullptr) (void)fclose(file);  // read only: nothing to lose
  return content;
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

// A run must return: ending the process would end the suite with a status that says nothing.
void fail_if_inside_run() {
  if (inside_run) _exit(99);
}

}  // namespace

ScopedFolder::ScopedFolder() : path(make_temp_folder()) {}

// Deepest entries first; a link is removed, never followed.
ScopedFolder::~ScopedFolder() {
  std::vector<std::string> all = contents(path);
  for (auto entry = all.rbegin(); entry != all.rend(); ++entry) {
    std::string name =
        path + SEPARATOR + entry->substr(0, std::min(entry->find("->"), entry->find('=')));
    if (unlink(name.c_str()) != 0) rmdir(name.c_str());
  }
  rmdir(path.c_str());
}

void populate(const ScopedFolder& folder, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    size_t arrow = entry.find('>');
    bool hard = arrow != std::string::npos && entry[arrow - 1] == '=';
    FILE* file = nullptr;
    if (arrow != std::string::npos) {
      std::string target = entry.substr(arrow + 1);
      make_entry(folder / entry.substr(0, arrow - 1), hard ? folder / target : target, hard);
    } else if (entry.back() == '/') {
      make_entry(folder / entry);
    } else if ((file = fopen((folder / entry).c_str(), "wb")) == nullptr ||
               fputs(entry.c_str(), file) < 0 || fclose(file) != 0) {
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

RunResult capture(const std::function<int()>& body) {
  ScopedFolder streams;
  // Text mode, as the standard streams have, so that Windows writes its line ends.
  FILE* files[] = {fopen((streams / "1").c_str(), "w"), fopen((streams / "2").c_str(), "w")};
  int saved[] = {dup(1), dup(2)};
  (void)fflush(stdout);
  for (int fd : {1, 2}) dup2(fileno(files[fd - 1]), fd);
  int status = body();
  (void)fflush(stdout);
  for (int fd : {1, 2}) dup2(saved[fd - 1], fd), close(saved[fd - 1]), fclose(files[fd - 1]);
  return RunResult{status, read_file(streams / "1"), read_file(streams / "2")};
}

int run_command_with(std::vector<std::string> args) {
  args.insert(args.begin(), "vemblo");
  std::vector<char*> argv(args.size() + 1, nullptr);
  for (size_t at = 0; at < args.size(); ++at) argv[at] = &args[at][0];
  return run_command(static_cast<int>(args.size()), argv.data());
}

RunResult run_in(const std::string& folder, const std::vector<std::string>& args) {
  static const int guard = atexit(fail_if_inside_run);
  char home[4096];
  if (guard != 0 || (folder != "." && (!getcwd(home, sizeof home) || chdir(folder.c_str())))) {
    throw std::runtime_error("cannot run in " + folder);
  }
  RunResult result = capture([&args] {
    inside_run = true;
    int status = run_command_with(args);
    return inside_run = false, status;
  });
  if (folder != "." && chdir(home) != 0) throw std::runtime_error("cannot go back");
  return result;
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
  std::string stamp = today_stamp();
  populate(folder, stamped(c.before, stamp));
  RunResult run = run_in(folder.path, stamped(c.args, stamp));
  EXPECT_EQ(c.status, run.status);
  EXPECT_EQ("", run.out);
  std::vector<std::string> after = stamped(c.after.empty() ? c.before : c.after, stamp);
  for (std::string& entry : after) entry = entry.substr(0, entry.find("=>"));
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, contents(folder.path)) << "a run at midnight may see two dates";
  EXPECT_EQ("?", entry_suffix(folder.path + stamp)) << "made beside the folder";
  std::string error = stamped({c.error}, stamp, folder.path)[0];
  size_t compared = ON_POSIX ? std::string::npos : error.find('\'', 23);  // to the first name
  EXPECT_EQ(error.substr(0, compared), run.err.substr(0, compared));
  EXPECT_TRUE(run.err.find('\n') + 1 == run.err.size()) << "one line";
}
