// Hostile arguments, odd kinds of entries and runs racing each other: whatever happens, no file
// is lost, nothing extra appears, and failures say why.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "black_box.h"

namespace {

TEST(Hostile, ArgumentsAndEntries) {
  const std::string long_name = std::string(250, 'n') + ".txt";
  const std::string long_dated = "{F}/" + std::string(250, 'n') + "{S}.txt";
  const std::string busy = "Device or resource busy";
  std::vector<FolderCase> cases = {
      refused({"notes.txt"}, {""}, "{F}{S}", "No such file or directory"),
      refused({"notes.txt"}, {"notes.txt/"}, "{F}/notes.txt/{S}", "Not a directory"),
      refused({"sub/"}, {"sub/"}, "{F}/sub/{S}", "Invalid argument"),
      // A line break in a name must not break the diagnostic's line.
      {{"notes.txt"},
       {"x\ny.txt"},
       2,
       {},
       "vemblo: cannot rename 'x?y.txt' to '{F}/x?y{S}.txt': No such file or directory\n"},
  };
  // Names Windows cannot hold, kinds of entries it lacks, and arguments that would reach out of
  // the test's folder there, where ".." and "/" are resolved before the rename.
  const FolderCase posix_cases[] = {
      refused({"notes.txt"}, {"."}, "{F}/{S}.", busy),
      refused({"notes.txt"}, {".."}, "{F}/.{S}.", busy),
      refused({"notes.txt"}, {"/"}, "/{S}", busy),
      {{"a\nb.txt"}, {"a\nb.txt"}, 0, {"a\nb{S}.txt=a\nb.txt"}},
      {{"\xff\xfe.txt"}, {"\xff\xfe.txt"}, 0, {"\xff\xfe{S}.txt=\xff\xfe.txt"}},
      refused({long_name}, {long_name}, long_dated, "File name too long"),
      // A link is renamed, not what it points to; a FIFO is renamed without being opened.
      {{"target.txt", "link->target.txt"}, {"link"}, 0, {"link{S}->target.txt", "target.txt"}},
      {{"dangling->missing"}, {"dangling"}, 0, {"dangling{S}->missing"}},
      {{"pipe|"}, {"pipe"}, 0, {"pipe{S}|"}},
  };
  if (ON_POSIX) cases.insert(cases.end(), std::begin(posix_cases), std::end(posix_cases));
  for (const FolderCase& c : cases) check_folder_case(c);
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
