// A rename refused by the file system, on a read-only bind mount (Linux, with the right to mount).
#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/mount.h>

#include <string>
#include <vector>

#include "black_box.h"

namespace {

// A folder whose file system refuses any change: the system's reason, and nothing changed.
TEST(Hostile, ReadOnlyFolder) {
  ScopedFolder folder;
  populate(folder, {"ro/", "ro/notes.txt"});
  std::string ro = folder / "ro";
  if (mount(ro.c_str(), ro.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "cannot bind-mount here: " << strerror(errno);
  }
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{ro};
  if (mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    GTEST_SKIP() << "cannot make the bind mount read-only here: " << strerror(errno);
  }
  Outcome run = run_in(folder, {"ro/notes.txt"});
  EXPECT_EQ(2, run.result.status);
  EXPECT_EQ("", run.result.out);
  EXPECT_EQ("vemblo: cannot rename 'ro/notes.txt' to '" + ro + "/notes" + run.stamp +
                ".txt': Read-only file system\n",
            run.result.err);
  EXPECT_EQ((std::vector<std::string>{"ro/", "ro/notes.txt"}), contents(folder.path()));
}
}  // namespace
