// The harness, alike on every system: folders through the C library, and run_command with its
// standard output and error going to files.
#include "harness.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "command.h"

namespace {

// The entries below path, sorted, each with its entry_suffix; those of a folder follow it.
void list(const std::string& path, const std::string& prefix, std::vector<std::string>* all) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  while (dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
      names.push_back(entry->d_name);
    }
  }
  if (dir != nullptr) closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    all->push_back(prefix + name + entry_suffix(path + SEPARATOR + name));
    if (all->back().back() == '/') list(path + SEPARATOR + name, prefix + name + "/", all);
  }
}

std::string replace_all(std::string text, const std::string& mark, const std::string& value) {
  for (size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += value.size()) {
    text.replace(at, mark.size(), value);
  }
  return text;
}

std::vector<std::string> stamped(std::vector<std::string> names, const std::string& stamp) {
  for (std::string& name : names) name = replace_all(name, "{S}", stamp);
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
    std::string name = path + SEPARATOR + entry->substr(0, entry->find("->"));
    if (unlink(name.c_str()) != 0) rmdir(name.c_str());
  }
  rmdir(path.c_str());
}

void populate(const ScopedFolder& folder, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    size_t arrow = entry.find('>');
    FILE* file = nullptr;
    if (arrow != std::string::npos && entry[arrow - 1] == '-') {
      make_link(folder / entry.substr(0, arrow - 1), entry.substr(arrow + 1));
    } else if (arrow != std::string::npos) {
      make_hard_link(folder / entry.substr(0, arrow - 1), folder / entry.substr(arrow + 1));
    } else if (entry.back() == '/') {
      make_folder(folder / entry);
    } else if ((file = fopen((folder / entry).c_str(), "wb")) == nullptr ||
               fputs(entry.c_str(), file) < 0 || fclose(file) != 0) {
      throw std::runtime_error("cannot write " + entry);
    }
  }
}

std::vector<std::string> contents(const std::string& path) {
  std::vector<std::string> all;
  list(path, "", &all);
  return all;
}

std::string read_file(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  std::string content = file != nullptr ? "" : "(missing)";
  for (int c; file != nullptr && (c = getc(file)) != EOF;) content += static_cast<char>(c);
  if (file != nullptr) (void)fclose(file);  // read only: nothing to lose
  return content;
}

std::string today_stamp() {
  time_t now = time(nullptr);
  char stamp[16];
  strftime(stamp, sizeof stamp, "%y%m%d", localtime(&now));
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

int run_command_with(const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>("vemblo")};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  return run_command(static_cast<int>(args.size() + 1), argv.data());
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
    inside_run = false;
    return status;
  });
  if (folder != "." && chdir(home) != 0) throw std::runtime_error("cannot go back");
  return result;
}

FolderCase refused(std::vector<std::string> before, std::vector<std::string> args,
                   const std::string& dated, const std::string& reason) {
  std::string error = "vemblo: cannot rename '" + args.at(0) + "'";
  if (!dated.empty()) error += " to '" + dated + "'";
  return FolderCase{std::move(before), std::move(args), 2, {}, error + ": " + reason + "\n"};
}

void check_folder_case(const FolderCase& c, void (*prepare)(const ScopedFolder&)) {
  SCOPED_TRACE(testing::PrintToString(c.args));
  ScopedFolder folder;
  std::string stamp = today_stamp();
  populate(folder, stamped(c.before, stamp));
  if (prepare != nullptr) prepare(folder);
  RunResult run = run_in(folder.path, stamped(c.args, stamp));
  if (today_stamp() != stamp) ADD_FAILURE() << "midnight passed during the run; run it again";
  EXPECT_EQ(c.status, run.status);
  EXPECT_EQ("", run.out);

  std::vector<std::string> names;
  for (const std::string& entry : stamped(c.after.empty() ? c.before : c.after, stamp)) {
    bool file = entry.back() != '/' && entry.find('>') == std::string::npos;
    size_t equals = file ? entry.find('=') : std::string::npos;
    names.push_back(entry.substr(0, equals));
    std::string content = equals == std::string::npos ? entry : entry.substr(equals + 1);
    EXPECT_EQ(file ? content : "", file ? read_file(folder / names.back()) : "") << names.back();
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, contents(folder.path));
  EXPECT_EQ("?", entry_suffix(folder.path + stamp)) << "made beside the folder";

  std::string expected = replace_all(stamped({c.error}, stamp)[0], "{F}", folder.path);
  size_t compared = ON_POSIX ? std::string::npos : expected.find('\'', 23);  // the first name
  EXPECT_EQ(expected.substr(0, compared), run.err.substr(0, compared));
  EXPECT_TRUE(run.err.find('\n') + 1 == run.err.size()) << "one line";
}
