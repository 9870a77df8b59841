// The command where only POSIX systems can put it: at the path limit and at the root.
#include <errno.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "harness.h"

namespace {

// A dated name of PATH_MAX - 1 bytes is made; one byte more is refused, and so is a working
// directory too long to be named at all.
TEST(CommandPosix, AtThePathLimit) {
  ScopedFolder folder;
  char home[PATH_MAX];
  ASSERT_TRUE(getcwd(home, sizeof home) != nullptr && chdir(folder.path.c_str()) == 0);
  std::vector<std::string> path;  // "/f" and the stamp follow it
  for (size_t length = folder.path.size(); length < PATH_MAX - 9;
       length += path.back().size() + 1) {
    path.emplace_back(PATH_MAX - 9 - length > 250 ? 150 : PATH_MAX - 10 - length, 'd');
    ASSERT_EQ(0, mkdir(path.back().c_str(), 0700) + chdir(path.back().c_str()));
  }
  const std::string dated = "f" + today_stamp(), deeper = "deeper-than-a-path-may-be";
  ASSERT_EQ(0, fclose(fopen("f", "w")) + mkdir(deeper.c_str(), 0700));
  EXPECT_EQ(0, run_in(".", {"f"}).status);
  EXPECT_EQ("vemblo: cannot rename 'ff': File name too long\n", run_in(".", {"ff"}).err);
  ASSERT_EQ(0, chdir(deeper.c_str()));
  EXPECT_EQ("vemblo: cannot rename 'f': File name too long\n", run_in(".", {"f"}).err);
  // Too deep to be removed by its full path, the folder goes from the inside out.
  EXPECT_EQ(0, chdir("..") + rmdir(deeper.c_str()) + unlink(dated.c_str()));
  for (; !path.empty(); path.pop_back()) ASSERT_EQ(0, chdir("..") + rmdir(path.back().c_str()));
  ASSERT_EQ(0, chdir(home));
}

// The root's own name is "/", which must not be doubled.
TEST(CommandPosix, AtTheRoot) {
  EXPECT_EQ(
      "vemblo: cannot rename 'none' to '/none" + today_stamp() + "': " + strerror(ENOENT) + "\n",
      run_in("/", {"none"}).err);
}

}  // namespace
