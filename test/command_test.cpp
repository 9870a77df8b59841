// The command as its users meet it: run_command in a temporary folder, with the folder's entries
// before and after, the status and the diagnostic.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "harness.h"

namespace {

const std::string MISSING = "No such file or directory";

// Rows, and the system's reasons, that hold on every system; POSIX systems' rows follow.
TEST(Command, Folders) {
  std::vector<FolderCase> cases = {
      // clang-format off
      {{"a.txt"}, {"a.txt"}, 0, {"a{S}.txt=a.txt"}},
      {{"a.txt"}, {"a.txt", "final", "more"}, 0, {"a{S}final.txt=a.txt"}},
      {{"100%.txt"}, {"100%.txt", "%s%n"}, 0, {"100%{S}%s%n.txt=100%.txt"}},
      // A file under the dated name is replaced, by a file or by a directory.
      // ... by a directory too, which a separator after its name names as well.
      {{"a.txt", "a{S}.txt"}, {"a.txt"}, 0, {"a{S}.txt=a.txt"}},
      {{"d/", "d/in", "d{S}"}, {"d/"}, 0, {"d{S}/", "d{S}/in=d/in"}},
      // Two names of one file end as the dated name alone; one name reached two ways stays.
      {{"a.txt", "a{S}.txt=>a.txt"}, {"a.txt"}, 0, {"a{S}.txt=a.txt"}},
      refused({"a.txt", "b=>a.txt", "a{S}/"}, {"a.txt", "/../a"}, "{F}/a{S}/../a.txt", "File exists"),
      {{"a.txt"}, {}, 1},
      // Control characters, C1 ones in UTF-8 too, are masked in the message.
      {{"a.txt"}, {"x\ny\xc2\x9b"}, 2, {}, "vemblo: cannot rename 'x?y?' to '{F}/x?y?{S}': " + MISSING + "\n"},
      refused({"a{S}.txt"}, {"a.txt"}, "{F}/a{S}.txt", MISSING),
      refused({}, {"\xc3\xa9"}, "{F}/\xc3\xa9{S}", MISSING),
      refused({"a.txt"}, {""}, "{F}{S}", MISSING),
      // Only "/?" itself asks for the usage screen.
      refused({}, {"/?x"}, "/?x{S}", MISSING),
      // A directory under the dated name stays, and so does a file that a directory cannot
      // take the place of.
      refused({"a.txt", "a{S}.txt/"}, {"a.txt"}, "{F}/a{S}.txt", "File exists"),
      // A separator after a name asks for a directory.
      refused({"a.txt"}, {"a.txt/"}, "{F}/a{S}.txt", "Not a directory"),
  };
  const std::vector<FolderCase> posix_cases = {
      // A link is renamed, never what it points to, and a link to a directory is no directory;
      // a link to the entry under the dated name stays, or that entry would be lost.
      {{"a.txt", "d/", "a{S}.txt->d"}, {"a.txt"}, 0, {"a{S}.txt=a.txt", "d/"}},
      refused({"a{S}.txt", "a.txt->a{S}.txt"}, {"a.txt"}, "{F}/a{S}.txt",
              "it is a symbolic link to the new name"),
      // "\" splits the name on every system, but names no directory on POSIX systems.
      {{"a.d\\x"}, {"a.d\\x"}, 0, {"a.d\\x{S}=a.d\\x"}},
      // clang-format on
  };
  if (ON_POSIX) cases.insert(cases.end(), posix_cases.begin(), posix_cases.end());
  if (!ON_POSIX) cases.push_back({{"a.d/", "a.d/x"}, {"a.d\\x"}, 0, {"a.d/", "a.d/x{S}=a.d/x"}});
  for (const FolderCase& c : cases) check_folder_case(c);
}

// Runs the cases in a process of its own with the setting in its environment, since the locale
// and the time zone stay as they were first loaded.
void check_cases_with(std::string setting, const std::vector<FolderCase>& cases) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto run_all = [&] {
    if (!setting.empty()) putenv(&setting[0]), tzset();
    for (const FolderCase& c : cases) check_folder_case(c);
    exit(testing::Test::HasFailure() ? 1 : 0);
  };
  EXPECT_EXIT(run_all(), testing::ExitedWithCode(0), "");
}

// The stamp is the local date: at most one of these zones shares the UTC date at any moment.
TEST(CommandDeathTest, StampsTheLocalDate) {
  if (!ON_POSIX) GTEST_SKIP() << "the zone is the system's on Windows";
  for (int hours : {14, -12}) {
    time_t shifted = time(nullptr) + static_cast<time_t>(hours) * 3600;
    char stamp[16];
    ASSERT_EQ(6u, strftime(stamp, sizeof stamp, "%y%m%d", gmtime(&shifted)));
    // POSIX zone names count hours west of UTC.
    check_cases_with("TZ=UTC" + std::string(hours > 0 ? "-" : "+") + std::to_string(abs(hours)),
                     {{{"a.txt"}, {"a.txt"}, 0, {"a" + std::string(stamp) + ".txt=a.txt"}}});
  }
}

#define HYO "\x95\x5C"  // Shift_JIS characters whose second byte is "\"
#define SO "\x83\x5C"

// A wrong split would stamp these names in the wrong place, or in another folder.
TEST(CommandDeathTest, DoubleByteNames) {
  const std::vector<FolderCase> shift_jis = {
      {{"x." HYO}, {"x." HYO}, 0, {"x{S}." HYO "=x." HYO}},
      {{SO}, {SO}, 0, {SO "{S}=" SO}},
      {{"x.\xEA\x5C"}, {"x.\xEA\x5C"}, 0, {"x{S}.\xEA\x5C=x.\xEA\x5C"}},
      // A lead byte without a second byte is a byte of its own, and hides no dot or separator;
      // Windows does not take such names.
      {{"x.txt\x83", "x{S}.txt"}, {"x.txt\x83"}, 0, {"x{S}.txt", "x{S}.txt\x83=x.txt\x83"}},
      {{"a.\x83/", "a.\x83/f"}, {"a.\x83/f"}, 0, {"a.\x83/", "a.\x83/f{S}=a.\x83/f"}},
  };
  const std::vector<FolderCase> johab = {
      {{"x.\x88\x5C"}, {"x.\x88\x5C"}, 0, {"x{S}.\x88\x5C=x.\x88\x5C"}}};
  const struct {
    const char* locale;
    std::vector<FolderCase> cases;
  } settings[] = {
      {"ja_JP.SJIS", shift_jis}, {"ja_JP.SHIFT_JISX0213", shift_jis}, {"ko_KR.JOHAB", johab}};
  for (const auto& setting : settings) {
    if (!double_byte_available(setting.locale)) {
      if (getenv("VEMBLO_TEST_REQUIRE_ALL") != nullptr) ADD_FAILURE() << "no " << setting.locale;
      continue;
    }
    if (ON_POSIX) {
      check_cases_with("LC_ALL=" + std::string(setting.locale), setting.cases);
      continue;
    }
    // The code page is the system's own, 932 here, and takes whole characters only.
    check_cases_with("", {shift_jis.begin(), shift_jis.begin() + 3});
    break;
  }
}

}  // namespace
