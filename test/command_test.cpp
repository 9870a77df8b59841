// The built vemblo, run in a temporary folder: the folder's contents afterwards, the exit status
// and both streams.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

#include "black_box.h"

namespace {

TEST(Command, RenamesWithinItsFolder) {
  std::vector<FolderCase> cases = {
      {{"notes.txt"}, {"notes.txt"}, 0, {"notes{S}.txt=notes.txt"}},
      {{"notes.txt"}, {"notes.txt", "final"}, 0, {"notes{S}final.txt=notes.txt"}},
      {{"notes.txt"}, {"notes.txt", "final", "more", "args"}, 0, {"notes{S}final.txt=notes.txt"}},
      {{"notes.txt"}, {"notes.txt", ""}, 0, {"notes{S}.txt=notes.txt"}},
      {{"archive.tar.gz"}, {"archive.tar.gz"}, 0, {"archive.tar{S}.gz=archive.tar.gz"}},
      {{"README"}, {"README"}, 0, {"README{S}=README"}},
      {{".profile"}, {".profile"}, 0, {"{S}.profile=.profile"}},
      {{"my.dir/", "my.dir/data"},
       {"my.dir/data", "_old"},
       0,
       {"my.dir/", "my.dir/data{S}_old=my.dir/data"}},
      {{"100%.txt"}, {"100%.txt", "%s%n"}, 0, {"100%{S}%s%n.txt=100%.txt"}},
      {{"photos.d/", "photos.d/x"}, {"photos.d"}, 0, {"photos{S}.d/", "photos{S}.d/x=photos.d/x"}},
      // A separator in the text places the file elsewhere.
      {{"a.txt", "a{S}/"}, {"a.txt", "/b"}, 0, {"a{S}/", "a{S}/b.txt=a.txt"}},
      // A file under the dated name is replaced, by a file or by a directory.
      {{"notes.txt", "notes{S}.txt"}, {"notes.txt"}, 0, {"notes{S}.txt=notes.txt"}},
      {{"d/", "d/in", "d{S}"}, {"d"}, 0, {"d{S}/", "d{S}/in=d/in"}},
  };
  // "\" separates on every system; on POSIX it can also be part of a name.
  if (ON_POSIX) {
    cases.push_back({{"x.b\\c"}, {"x.b\\c"}, 0, {"x.b\\c{S}=x.b\\c"}});
  } else {
    cases.push_back({{"my.dir/", "my.dir/data"},
                     {"my.dir\\data"},
                     0,
                     {"my.dir/", "my.dir/data{S}=my.dir/data"}});
  }
  for (const FolderCase& c : cases) check_folder_case(c);
}

TEST(Command, FailuresChangeNothing) {
  const std::string missing = "No such file or directory";
  const std::string exists = "File exists";
  const FolderCase cases[] = {
      {{"notes.txt"}, {}, 1},
      refused({"notes{S}.txt"}, {"notes.txt"}, "{F}/notes{S}.txt", missing),
      // A directory under the dated name stays, empty or not.
      refused({"notes.txt", "notes{S}.txt/"}, {"notes.txt"}, "{F}/notes{S}.txt", exists),
      refused({"notes.txt", "notes{S}.txt/", "notes{S}.txt/keep"}, {"notes.txt"},
              "{F}/notes{S}.txt", exists),
      refused({"d/", "d{S}/"}, {"d"}, "{F}/d{S}", exists),
      refused({"d/", "d{S}/", "d{S}/keep"}, {"d"}, "{F}/d{S}", exists),
      refused({"notes.txt"}, {"notes.txt", std::string(5000, 'x')}, "", "File name too long"),
      // Only "/?" itself asks for the usage screen; these are file names.
      refused({}, {"-?"}, "{F}/-?{S}", missing),
      refused({}, {"/h"}, "/h{S}", missing),
      refused({}, {"/H"}, "/H{S}", missing),
      refused({}, {"/?x"}, "/?x{S}", missing),
  };
  for (const FolderCase& c : cases) check_folder_case(c);
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

// Without a console the usage screen ends at once; the line end is the platform's own.
TEST(Command, HelpRequest) {
  std::string screen = USAGE_SCREEN;
  if (!ON_POSIX) {
    for (size_t at = 0; (at = screen.find('\n', at)) != std::string::npos; at += 2) {
      screen.insert(at, "\r");
    }
  }
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
}

// "/?" as the text is text; "?" cannot stand in a Windows name, so the rename fails there.
TEST(Command, HelpAsTextIsText) {
  check_folder_case(
      ON_POSIX
          ? FolderCase{{"a.txt", "a{S}/"}, {"a.txt", "/?"}, 0, {"a{S}/", "a{S}/?.txt=a.txt"}}
          : FolderCase{
                {"a.txt", "a{S}/"}, {"a.txt", "/?"}, 2, {}, "vemblo: cannot rename 'a.txt' to"});
}

// A full path of over 260 bytes is ordinary on POSIX systems and too long for Windows' room;
// Windows cannot even make such a file, and the command refuses the name before looking.
TEST(Command, LongPaths) {
  const std::string deep = std::string(60, 'a') + "/" + std::string(60, 'b') + "/";
  const std::string name = deep + std::string(120, 'n');
  const std::vector<std::string> folders = {std::string(60, 'a') + "/", deep};
  FolderCase c{folders, {name + ".txt"}, 2, {}, "vemblo: cannot rename '" + name + ".txt': "};
  if (ON_POSIX) {
    c = {folders, {name + ".txt"}, 0, folders};
    c.before.push_back(name + ".txt");
    c.after.push_back(name + "{S}.txt=" + name + ".txt");
  }
  check_folder_case(c);
}

// Shift_JIS names whose second byte is "\": a wrong split would stamp them in the wrong place.
TEST(Command, DoubleByteNames) {
  std::vector<std::string> env;
  if (!double_byte_setting(&env)) {
    if (getenv("VEMBLO_TEST_REQUIRE_DBCS") != nullptr) FAIL() << "no Shift_JIS setting here";
    GTEST_SKIP() << "no Shift_JIS locale or code page here";
  }
  const FolderCase cases[] = {
      {{"x.\x95\x5C"}, {"x.\x95\x5C"}, 0, {"x{S}.\x95\x5C=x.\x95\x5C"}},
      {{"\x83\x5C.\x95\x5C"}, {"\x83\x5C.\x95\x5C"}, 0, {"\x83\x5C{S}.\x95\x5C=\x83\x5C.\x95\x5C"}},
      {{"\x83\x5C"}, {"\x83\x5C"}, 0, {"\x83\x5C{S}=\x83\x5C"}},
  };
  for (const FolderCase& c : cases) check_folder_case(c, env);
}

}  // namespace
