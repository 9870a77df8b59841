// Helpers for the tests that run vemblo and look at the folder afterwards.
#include "black_box.h"

#include <gtest/gtest.h>

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
