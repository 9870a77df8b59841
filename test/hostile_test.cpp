// Hostile arguments, odd kinds of entries and runs racing each other: whatever happens, no file
// is lost, nothing extra appears, and failures say why.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "black_box.h"

namespace {

TEST(Hostile, ArgumentsAndEntries) {
  const std::string long_base = std::string(250, 'n') + ".txt";
  struct Case {
    bool posix_only;  // names Windows cannot hold, or arguments that would reach outside
    int status;
    std::vector<std::string> before;
    std::vector<std::string> args;
    std::vector<std::string> after;  // empty: as before
    const char* posix_error;         // the whole diagnostic on POSIX, "{F}" for the folder
    // clang-format off
  } cases[] = {
      {false, 2, {"notes.txt"}, {""}, {}, ""},
      {true, 2, {"notes.txt"}, {""}, {},
       "vemblo: cannot rename '' to '{F}{S}': No such file or directory\n"},
      {true, 2, {"notes.txt"}, {"."}, {},
       "vemblo: cannot rename '.' to '{F}/{S}.': Device or resource busy\n"},
      {true, 2, {"notes.txt"}, {".."}, {},
       "vemblo: cannot rename '..' to '{F}/.{S}.': Device or resource busy\n"},
      {true, 2, {"notes.txt"}, {"/"}, {},
       "vemblo: cannot rename '/' to '/{S}': Device or resource busy\n"},
      {false, 2, {"notes.txt"}, {"notes.txt/"}, {},
       "vemblo: cannot rename 'notes.txt/' to '{F}/notes.txt/{S}': Not a directory\n"},
      {false, 2, {"sub/"}, {"sub/"}, {},
       "vemblo: cannot rename 'sub/' to '{F}/sub/{S}': Invalid argument\n"},
      // A line break in a name must not break the diagnostic's line.
      {false, 2, {"notes.txt"}, {"x\ny.txt"}, {},
       "vemblo: cannot rename 'x?y.txt' to '{F}/x?y{S}.txt': No such file or directory\n"},
      {true, 0, {"a\nb.txt"}, {"a\nb.txt"}, {"a\nb{S}.txt"}, ""},
      {true, 0, {"\xff\xfe.txt"}, {"\xff\xfe.txt"}, {"\xff\xfe{S}.txt"}, ""},
      {true, 2, {long_base}, {long_base}, {},
       "vemblo: cannot rename '{B}' to '{F}/{b}{S}.txt': File name too long\n"},
      // A link is renamed, not what it points to; a FIFO is renamed without being opened.
      {true, 0, {"target.txt", "link->target.txt"}, {"link"},
       {"link{S}->target.txt", "target.txt"}, ""},
      {true, 0, {"dangling->missing"}, {"dangling"}, {"dangling{S}->missing"}, ""},
      {true, 0, {"pipe|"}, {"pipe"}, {"pipe{S}|"}, ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    if (c.posix_only && !ON_POSIX) continue;
    SCOPED_TRACE(testing::PrintToString(c.args[0]));
    ScopedFolder folder;
    populate(folder, c.before);
    Outcome run = run_in(folder, c.args);
    EXPECT_EQ(c.status, run.result.status);
    EXPECT_EQ("", run.result.out);
    std::vector<std::string> after = c.after.empty() ? c.before : stamped(c.after, run.stamp);
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, contents(folder.path()));
    EXPECT_FALSE(entry_exists(folder.path() + run.stamp)) << "made beside the folder";
    for (const std::string& entry : after) {
      if (entry.find_first_of("/|>") == std::string::npos) {
        EXPECT_EQ(c.before[0], read_file(folder / entry));
      }
    }
    const std::string& err = run.result.err;
    if (c.status == 0) {
      EXPECT_EQ("", err);
    } else {
      EXPECT_EQ(err.size() - 1, err.find('\n')) << "one line: " << err;
    }
    if (ON_POSIX && *c.posix_error != '\0') {
      std::string expected = stamped(c.posix_error, run.stamp);
      for (auto [mark, value] : {std::pair<std::string, std::string>{"{F}", folder.path()},
                                 {"{B}", long_base},
                                 {"{b}", long_base.substr(0, 250)}}) {
        for (size_t at; (at = expected.find(mark)) != std::string::npos;) {
          expected.replace(at, mark.size(), value);
        }
      }
      EXPECT_EQ(expected, err);
    }
  }
}

// Runs started together on one file: one renames it, the others fail and say so.
TEST(Hostile, SimultaneousRunsOnOneFile) {
  ScopedFolder folder;
  populate(folder, {"notes.txt"});
  std::vector<RunResult> results(8);
  std::vector<std::thread> runs;
  runs.reserve(results.size());
  for (RunResult& result : results) {
    runs.emplace_back([&folder, &result] { result = run_vemblo(folder.path(), {"notes.txt"}); });
  }
  for (std::thread& run : runs) run.join();
  std::string stamp = today_stamp();
  int renamed = 0;
  for (const RunResult& result : results) {
    EXPECT_EQ("", result.out);
    if (result.status == 0) {
      ++renamed;
      EXPECT_EQ("", result.err);
    } else {
      EXPECT_EQ(2, result.status);
      EXPECT_EQ(0u, result.err.find("vemblo: cannot rename 'notes.txt' to '")) << result.err;
    }
  }
  EXPECT_EQ(1, renamed);
  EXPECT_EQ(std::vector<std::string>{"notes" + stamp + ".txt"}, contents(folder.path()));
  EXPECT_EQ("notes.txt", read_file(folder / ("notes" + stamp + ".txt")));
}

// Two runs replace the file under the same dated name ("x.txt" and "x" with the text ".txt")
// while the test watches it: the name never stands empty. On Windows one of the two may find the
// name in use and fail; its file must then stay where it was.
TEST(Hostile, ReplacedNameNeverStandsEmpty) {
  const std::string stamp = today_stamp();
  const std::string dated = "x" + stamp + ".txt";
  const std::vector<std::vector<std::string>> args = {{"x.txt"}, {"x", ".txt"}};
  for (int round = 0; round < 10; ++round) {
    ScopedFolder folder;
    populate(folder, {"x.txt", "x", dated});
    std::atomic<int> running{2};
    std::vector<RunResult> results(2);
    std::vector<std::thread> runs;
    runs.reserve(2);
    for (size_t i = 0; i < 2; ++i) {
      runs.emplace_back([&, i] {
        results[i] = run_vemblo(folder.path(), args[i]);
        --running;
      });
    }
    int missing = 0;
    while (running > 0) missing += entry_exists(folder / dated) ? 0 : 1;
    for (std::thread& run : runs) run.join();
    EXPECT_EQ(0, missing) << "times the dated name stood empty";

    std::vector<std::string> expected = {dated};
    std::vector<std::string> renamed;
    for (size_t i = 0; i < 2; ++i) {
      const std::string& source = args[i][0];
      if (results[i].status == 0) {
        renamed.push_back(source);
      } else {
        EXPECT_FALSE(ON_POSIX) << results[i].err;
        EXPECT_EQ(2, results[i].status);
        EXPECT_EQ(0u, results[i].err.find("vemblo: cannot rename '" + source + "'"));
        expected.push_back(source);
      }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, contents(folder.path()));
    std::string content = read_file(folder / dated);
    EXPECT_TRUE(renamed.empty()
                    ? content == dated
                    : std::find(renamed.begin(), renamed.end(), content) != renamed.end())
        << content;
  }
}

}  // namespace
