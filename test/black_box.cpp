// Helpers for the tests that run vemblo and look at the folder afterwards.
#include "black_box.h"

#include <gtest/gtest.h>

#include <algorithm>

std::string stamped(std::string name, const std::string& stamp) {
  for (size_t at; (at = name.find("{S}")) != std::string::npos;) name.replace(at, 3, stamp);
  return name;
}

std::vector<std::string> stamped(std::vector<std::string> names, const std::string& stamp) {
  for (std::string& name : names) name = stamped(name, stamp);
  return names;
}

void populate(const ScopedFolder& folder, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    size_t arrow = entry.find("->");
    if (arrow != std::string::npos) {
      make_link(folder / entry.substr(0, arrow), entry.substr(arrow + 2));
    } else if (entry.back() == '/' || entry.back() == '|') {
      std::string name = entry.substr(0, entry.size() - 1);
      entry.back() == '/' ? make_folder(folder / name) : make_fifo(folder / name);
    } else {
      write_file(folder / entry, entry);
    }
  }
}

std::vector<std::string> contents(const std::string& path, const std::string& prefix) {
  std::vector<std::string> all;
  for (const std::string& name : list_folder(path)) {
    all.push_back(prefix + name);
    if (name.back() == '/') {
      std::string inner = name.substr(0, name.size() - 1);
      std::string inner_path = path;
      inner_path += SEPARATOR;
      for (const std::string& below : contents(inner_path + inner, prefix + name)) {
        all.push_back(below);
      }
    }
  }
  return all;
}

Outcome run_in(const ScopedFolder& folder, const std::vector<std::string>& args,
               const std::vector<std::string>& env) {
  std::string before = today_stamp();
  RunResult result = run_vemblo(folder.path(), args, env);
  std::string after = today_stamp();
  if (before != after && result.status == 0) {
    ADD_FAILURE() << "midnight passed during the run; run the test again";
  }
  return Outcome{result, after};
}

namespace {

bool is_plain_file(const std::string& entry) {
  return entry.back() != '/' && entry.back() != '|' && entry.find("->") == std::string::npos;
}

std::string replace_all(std::string text, const std::string& mark, const std::string& value) {
  for (size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += value.size()) {
    text.replace(at, mark.size(), value);
  }
  return text;
}

}  // namespace

FolderCase refused(std::vector<std::string> before, std::vector<std::string> args,
                   const std::string& dated, const std::string& reason) {
  std::string error = "vemblo: cannot rename '" + args.at(0) + "'";
  if (!dated.empty()) error += " to '" + dated + "'";
  return FolderCase{std::move(before), std::move(args), 2, {}, error + ": " + reason + "\n"};
}

void check_folder_case(const FolderCase& c, const std::vector<std::string>& env) {
  SCOPED_TRACE(testing::PrintToString(c.args));
  ScopedFolder folder;
  populate(folder, stamped(c.before, today_stamp()));
  Outcome run = run_in(folder, c.args, env);
  EXPECT_EQ(c.status, run.result.status);
  EXPECT_EQ("", run.result.out);

  std::vector<std::string> names;
  for (const std::string& entry : stamped(c.after.empty() ? c.before : c.after, run.stamp)) {
    size_t equals = is_plain_file(entry) ? entry.find('=') : std::string::npos;
    std::string name = entry.substr(0, equals);
    names.push_back(name);
    if (is_plain_file(name)) {
      EXPECT_EQ(equals == std::string::npos ? name : entry.substr(equals + 1),
                read_file(folder / name))
          << name;
    }
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, contents(folder.path()));
  EXPECT_FALSE(entry_exists(folder.path() + run.stamp)) << "made beside the folder";

  const std::string& err = run.result.err;
  if (c.error.empty()) {
    EXPECT_EQ("", err);
    return;
  }
  EXPECT_EQ(err.size() - 1, err.find('\n')) << "one line: " << err;
  std::string expected = replace_all(stamped(c.error, run.stamp), "{F}", folder.path());
  if (!ON_POSIX)
    expected = expected.substr(0, expected.find('\'', sizeof "vemblo: cannot rename '" - 1));
  EXPECT_EQ(expected, ON_POSIX ? err : err.substr(0, expected.size()));
}
