// The built vemblo, run in a temporary folder: the folder's contents afterwards, the exit status
// and both streams.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

#include "black_box.h"

namespace {

// Text-mode line ends, as Windows writes them.
std::string windows_line_ends(const std::string& text) {
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

TEST(Command, RenamesWithinItsFolder) {
  struct Case {
    std::vector<std::string> before;
    std::vector<std::string> args;
    std::vector<std::string> after;
  } cases[] = {
      {{"notes.txt"}, {"notes.txt"}, {"notes{S}.txt"}},
      {{"notes.txt"}, {"notes.txt", "final"}, {"notes{S}final.txt"}},
      {{"notes.txt"}, {"notes.txt", "final", "more", "args"}, {"notes{S}final.txt"}},
      {{"notes.txt"}, {"notes.txt", ""}, {"notes{S}.txt"}},
      {{"archive.tar.gz"}, {"archive.tar.gz"}, {"archive.tar{S}.gz"}},
      {{"README"}, {"README"}, {"README{S}"}},
      {{".profile"}, {".profile"}, {"{S}.profile"}},
      {{"my.dir/", "my.dir/data"}, {"my.dir/data", "_old"}, {"my.dir/", "my.dir/data{S}_old"}},
      {{"my.dir/", "my.dir/data"}, {"my.dir\\data"}, {"my.dir/", "my.dir/data{S}"}},
      {{"100%.txt"}, {"100%.txt", "%s%n"}, {"100%{S}%s%n.txt"}},
      {{"photos.d/", "photos.d/x"}, {"photos.d"}, {"photos{S}.d/", "photos{S}.d/x"}},
      // A separator in the text places the file elsewhere.
      {{"a.txt", "a{S}/"}, {"a.txt", "/b"}, {"a{S}/", "a{S}/b.txt"}},
      // A file under the dated name is replaced, by a file or by a directory.
      {{"notes.txt", "notes{S}.txt"}, {"notes.txt"}, {"notes{S}.txt"}},
      {{"d/", "d/in", "d{S}"}, {"d"}, {"d{S}/", "d{S}/in"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    if (ON_POSIX && c.args[0].find('\\') != std::string::npos) continue;  // a plain name there
    ScopedFolder folder;
    std::string stamp = today_stamp();
    populate(folder, stamped(c.before, stamp));
    Outcome run = run_in(folder, c.args);
    EXPECT_EQ(0, run.result.status);
    EXPECT_EQ("", run.result.out);
    EXPECT_EQ("", run.result.err);
    EXPECT_EQ(stamped(c.after, run.stamp), contents(folder.path()));
    // The renamed file keeps its content, whatever stood under its new name.
    std::string moved = stamped(c.after.back(), run.stamp);
    if (moved.back() != '/' && c.before[0].back() != '/') {
      EXPECT_EQ(stamped(c.before[0], stamp), read_file(folder / moved));
    }
  }
}

// The stamp is the local date: at most one of these zones shares the UTC date at any moment.
TEST(Command, StampsTheLocalDate) {
  if (!ON_POSIX) GTEST_SKIP() << "the zone is the system's on Windows";
  for (int hours : {14, -12}) {
    SCOPED_TRACE(hours);
    ScopedFolder folder;
    populate(folder, {"notes.txt"});
    time_t shifted = time(nullptr) + static_cast<time_t>(hours) * 3600;
    char stamp[16];
    ASSERT_EQ(6u, strftime(stamp, sizeof stamp, "%y%m%d", gmtime(&shifted)));
    // POSIX zone names count hours west of UTC.
    std::string zone = "TZ=UTC" + std::string(hours > 0 ? "-" : "+") + std::to_string(abs(hours));
    EXPECT_EQ(0, run_vemblo(folder.path(), {"notes.txt"}, {zone}).status);
    EXPECT_EQ(std::vector<std::string>{"notes" + std::string(stamp) + ".txt"},
              contents(folder.path()));
  }
}

// Without a separator, "\" is part of a POSIX name, but it still splits it: the stamp goes after.
TEST(Command, BackslashSplitsOnPosixToo) {
  if (!ON_POSIX) GTEST_SKIP() << "a separator on Windows";
  ScopedFolder folder;
  populate(folder, {"x.b\\c"});
  Outcome run = run_in(folder, {"x.b\\c"});
  EXPECT_EQ(0, run.result.status);
  EXPECT_EQ(std::vector<std::string>{"x.b\\c" + run.stamp}, contents(folder.path()));
}

TEST(Command, FailuresChangeNothing) {
  const std::string too_long(5000, 'x');
  struct Case {
    std::vector<std::string> before;
    std::vector<std::string> args;
    const char* dated;  // the name the diagnostic gives, or "" for none
    const char* posix_reason;
  } cases[] = {
      {{"notes{S}.txt"}, {"notes.txt"}, "notes{S}.txt", "No such file or directory"},
      {{"notes.txt", "notes{S}.txt/"}, {"notes.txt"}, "notes{S}.txt", "File exists"},
      {{"notes.txt", "notes{S}.txt/", "notes{S}.txt/keep"},
       {"notes.txt"},
       "notes{S}.txt",
       "File exists"},
      {{"d/", "d{S}/"}, {"d"}, "d{S}", "File exists"},
      {{"d/", "d{S}/", "d{S}/keep"}, {"d"}, "d{S}", "File exists"},
      {{"notes.txt"}, {"notes.txt", too_long}, "", "File name too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.before.back());
    ScopedFolder folder;
    std::string stamp = today_stamp();
    std::vector<std::string> before = stamped(c.before, stamp);
    populate(folder, before);
    Outcome run = run_in(folder, c.args);
    EXPECT_EQ(2, run.result.status);
    EXPECT_EQ("", run.result.out);
    EXPECT_EQ(before, contents(folder.path()));
    for (const std::string& entry : before) {
      if (entry.back() != '/') {
        EXPECT_EQ(entry, read_file(folder / entry));
      }
    }
    std::string expected = "vemblo: cannot rename '" + c.args[0] + "'";
    if (*c.dated != '\0') expected += " to '" + stamped(folder / c.dated, stamp) + "'";
    expected += ": ";
    const std::string& err = run.result.err;
    EXPECT_EQ(expected, err.substr(0, expected.size()));
    EXPECT_EQ(err.size() - 1, err.find('\n')) << "one line: " << err;
    if (ON_POSIX) {
      EXPECT_EQ(expected + c.posix_reason + "\n", err);
    }
  }
}

TEST(Command, NoArgumentDoesNothing) {
  ScopedFolder folder;
  populate(folder, {"notes.txt"});
  Outcome run = run_in(folder, {});
  EXPECT_EQ(1, run.result.status);
  EXPECT_EQ("", run.result.out);
  EXPECT_EQ("", run.result.err);
  EXPECT_EQ(std::vector<std::string>{"notes.txt"}, contents(folder.path()));
}

// Without a console the usage screen ends at once; the line end is the platform's own.
TEST(Command, HelpRequest) {
  std::string screen =
      "\nVemblo, version 1.1 (Build 1) \nStamps a file's name with the day's date. \n"
      "Created 11.02.00 \n\nVemblo [file name] [text] \n"
      "        file name - name of the file, being renamed \n"
      "        text      - editional text in file name \n\nVemblo  /?        - help \n\n"
      "press Enter ...";
  if (!ON_POSIX) screen = windows_line_ends(screen);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"/?"}, {"/?", "notes.txt"}, {"/?", "a", "b"}}) {
    ScopedFolder folder;
    populate(folder, {"notes.txt"});
    Outcome run = run_in(folder, args);
    EXPECT_EQ(0, run.result.status);
    EXPECT_EQ(screen, run.result.out);
    EXPECT_EQ("", run.result.err);
    EXPECT_EQ(std::vector<std::string>{"notes.txt"}, contents(folder.path()));
  }
  // Only "/?" itself, as the file argument, asks for it.
  for (const char* arg : {"-?", "/h", "/H", "/?x", "/??"}) {
    ScopedFolder folder;
    Outcome run = run_in(folder, {arg});
    EXPECT_EQ(2, run.result.status) << arg;
    EXPECT_EQ("", run.result.out) << arg;
    EXPECT_EQ(0u, run.result.err.find(std::string("vemblo: cannot rename '") + arg)) << arg;
  }
}

TEST(Command, HelpAsTextIsText) {
  ScopedFolder folder;
  std::string stamp = today_stamp();
  populate(folder, {"a.txt", "a" + stamp + "/"});
  Outcome run = run_in(folder, {"a.txt", "/?"});
  EXPECT_EQ("", run.result.out);
  // "?" cannot stand in a Windows name, so the rename fails there, but it is no help request.
  EXPECT_EQ(ON_POSIX ? 0 : 2, run.result.status);
  std::vector<std::string> after = {"a.txt", "a{S}/"};
  if (ON_POSIX) after = {"a{S}/", "a{S}/?.txt"};
  EXPECT_EQ(stamped(after, run.stamp), contents(folder.path()));
}

// A full path of over 260 bytes is ordinary on POSIX systems and too long for Windows' room.
TEST(Command, LongPaths) {
  ScopedFolder folder;
  const std::string deep = std::string(60, 'a') + "/" + std::string(60, 'b') + "/";
  const std::string name = deep + std::string(120, 'n') + ".txt";
  std::vector<std::string> before = {std::string(60, 'a') + "/", deep};
  // Windows cannot even make such a file; the command must refuse the name before looking.
  if (ON_POSIX) before.push_back(name);
  populate(folder, before);
  Outcome run = run_in(folder, {name});
  std::vector<std::string> after = before;
  if (ON_POSIX) {
    EXPECT_EQ(0, run.result.status) << run.result.err;
    EXPECT_EQ("", run.result.err);
    after.back() = deep + std::string(120, 'n') + run.stamp + ".txt";
  } else {
    EXPECT_EQ(2, run.result.status);
    std::string expected = "vemblo: cannot rename '" + name + "': ";
    EXPECT_EQ(expected, run.result.err.substr(0, expected.size()));
  }
  EXPECT_EQ(after, contents(folder.path()));
}

// Shift_JIS names whose second byte is "\": a wrong split would stamp them in the wrong place.
TEST(Command, DoubleByteNames) {
  std::vector<std::string> env;
  if (!double_byte_setting(&env)) {
    if (getenv("VEMBLO_TEST_REQUIRE_DBCS") != nullptr) FAIL() << "no Shift_JIS setting here";
    GTEST_SKIP() << "no Shift_JIS locale or code page here";
  }
  struct Case {
    const char* name;
    const char* dated;
  } cases[] = {
      {"x.\x95\x5C", "x{S}.\x95\x5C"},
      {"\x83\x5C.\x95\x5C", "\x83\x5C{S}.\x95\x5C"},
      {"\x83\x5C", "\x83\x5C{S}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dated);
    ScopedFolder folder;
    populate(folder, {c.name});
    Outcome run = run_in(folder, {c.name}, env);
    EXPECT_EQ(0, run.result.status) << run.result.err;
    EXPECT_EQ(std::vector<std::string>{stamped(c.dated, run.stamp)}, contents(folder.path()));
  }
}

}  // namespace
