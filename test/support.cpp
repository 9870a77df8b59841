// The helpers that read and write folders through the C library, alike on every system.
#include "support.h"

#include <dirent.h>
#include <stdio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

void write_file(const std::string& path, const std::string& content) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot create " + path);
  size_t written = fwrite(content.data(), 1, content.size(), file);
  if (fclose(file) != 0 || written != content.size())
    throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) throw std::runtime_error("cannot open " + path);
  std::string content;
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, file)) > 0;) content.append(buffer, got);
  (void)fclose(file);  // read only: nothing to lose
  return content;
}

namespace {

std::vector<std::string> entry_names(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) throw std::runtime_error("cannot list " + path);
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

}  // namespace

namespace {

std::string join(const std::string& folder, const std::string& name) {
  std::string path = folder;
  path += SEPARATOR;
  return path += name;
}

}  // namespace

std::vector<std::string> list_folder(const std::string& path) {
  std::vector<std::string> names = entry_names(path);
  for (std::string& name : names) {
    name += entry_suffix(join(path, name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

void remove_tree(const std::string& path) {
  if (is_folder(path)) {
    for (const std::string& name : entry_names(path)) remove_tree(join(path, name));
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

std::string today_stamp() {
  time_t now = time(nullptr);
  char stamp[16];
  if (strftime(stamp, sizeof stamp, "%y%m%d", localtime(&now)) != 6) {
    throw std::runtime_error("cannot read the local date");
  }
  return stamp;
}
