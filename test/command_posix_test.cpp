// The command where only POSIX systems can put it: at the path limit, against a racing mkdir,
// and many runs writing their diagnostics at once.
#include <errno.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

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

// A directory that a racing mkdir puts under the dated name is never replaced: the racer always
// finds its own empty directory to remove.
TEST(CommandRace, DirectoryNeverReplaced) {
  ScopedFolder folder;
  populate(folder, {"d/", "d/in"});
  const std::string dated = folder / ("d" + today_stamp());
  std::atomic<bool> done{false};
  int lost = 0;
  std::thread racer([&] {
    while (!done) lost += mkdir(dated.c_str(), 0700) == 0 && rmdir(dated.c_str()) != 0 ? 1 : 0;
  });
  capture([&] {
    for (int run = 0; run < 300; ++run) {
      if (run_command_with({folder / "d"}) == 0)
        (void)rename(dated.c_str(), (folder / "d").c_str());
    }
    return done = true, 0;
  });
  racer.join();
  EXPECT_EQ(0, lost);
}

// Sixty runs that fail at once, each with a long name, write whole lines.
TEST(CommandRace, DiagnosticsDoNotInterleave) {
  const std::string err = capture([] {
                            std::vector<std::thread> runs(60);
                            for (std::thread& run : runs)
                              run = std::thread([] { run_command_with({std::string(1500, 'n')}); });
                            for (std::thread& run : runs) run.join();
                            return 0;
                          }).err;
  const std::string line = err.substr(0, err.find('\n') + 1);
  EXPECT_GT(line.size(), 3000u);
  EXPECT_EQ(60 * line.size(), err.size());
  for (size_t at = 0; at < err.size(); at += line.size())
    EXPECT_EQ(line, err.substr(at, line.size()));
}

}  // namespace
