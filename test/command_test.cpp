// The command as its users meet it: run_command in a temporary folder, with the folder's entries
// before and after, the status and the diagnostic.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "harness.h"

namespace {

const std::string MISSING = "No such file or directory";
const std::string LINKED = "it is a symbolic link to the new name";

// A run that fails with status 2 and changes nothing; dated is "" where no dated name is given.
FolderCase refused(std::vector<std::string> before, std::vector<std::string> args,
                   const std::string& dated, const std::string& reason) {
  std::string to = dated.empty() ? "" : " to '" + dated + "'";
  std::string error = CANNOT_RENAME + args.at(0) + "'" + to + ": " + reason + "\n";
  return FolderCase{std::move(before), std::move(args), 2, {}, error};
}

// One row for each rule the README states, on every system where it holds, with a comment that
// names the rules a row holds. The reasons are POSIX's; Windows' own are compared only up to the
// first name. POSIX systems' rows and Windows' follow.
TEST(Command, Folders) {
  std::vector<FolderCase> cases = {
      // clang-format off
      // The stamp and the text go before the extension; arguments after the text are ignored.
      {{"a.txt"}, {"a.txt", "final", "more"}, 0, {"a{S}final.txt=a.txt"}},
      // Only the last dot of the file's own name starts the extension.
      {{"x.tar.gz"}, {"x.tar.gz"}, 0, {"x.tar{S}.gz=x.tar.gz"}},
      // A name without a dot has no extension, and an empty text is the same as none.
      {{"README"}, {"README", ""}, 0, {"README{S}=README"}},
      {{".profile"}, {".profile"}, 0, {"{S}.profile=.profile"}},
      // Dots in directory names do not count.
      {{"my.dir/", "my.dir/data"}, {"my.dir/data", "_old"}, 0, {"my.dir/", "my.dir/data{S}_old=my.dir/data"}},
      // The text is copied as it stands: "%" stays "%", and "/" places the file in another directory.
      {{"100%.txt"}, {"100%.txt", "%s%n"}, 0, {"100%{S}%s%n.txt=100%.txt"}},
      {{"a.txt", "a{S}/"}, {"a.txt", "/b"}, 0, {"a{S}/", "a{S}/b.txt=a.txt"}},
      // A file under the dated name is replaced, by a file or by a directory, which is renamed
      // like a file and named by its name with a separator after it too.
      {{"a.txt", "a{S}.txt"}, {"a.txt"}, 0, {"a{S}.txt=a.txt"}},
      {{"d/", "d/in", "d{S}"}, {"d/"}, 0, {"d{S}/", "d{S}/in=d/in"}},
      // Two names of one file end as the dated name alone; one name reached two ways stays.
      {{"a.txt", "a{S}.txt=>a.txt"}, {"a.txt"}, 0, {"a{S}.txt=a.txt"}},
      refused({"a.txt", "b=>a.txt", "a{S}/"}, {"a.txt", "/../a"}, "{F}/a{S}/../a.txt", "File exists"),
      {{"a.txt"}, {}, 1},
      // A failure is one line on standard error, its control characters masked, C1 ones in UTF-8
      // too, and the rest of a name as it is.
      {{"a.txt"}, {"x\ny\xc2\x9b"}, 2, {}, "vemblo: cannot rename 'x?y?' to '{F}/x?y?{S}': " + MISSING + "\n"},
      refused({"a{S}.txt"}, {"a.txt"}, "{F}/a{S}.txt", MISSING),
      refused({"a{S}/"}, {"a"}, "{F}/a{S}", MISSING),
      refused({}, {"\xc3\xa9"}, "{F}/\xc3\xa9{S}", MISSING),
      refused({"a.txt"}, {""}, "{F}{S}", MISSING),
      // Only "/?" itself, and only as the first argument, asks for the usage screen.
      refused({}, {"/?x"}, "/?x{S}", MISSING),
      refused({"a.txt"}, {"a.txt", "/?"}, "{F}/a{S}/?.txt", MISSING),
      // A directory under the dated name is never replaced, not even an empty one by another.
      refused({"d/", "d{S}/"}, {"d"}, "{F}/d{S}", "File exists"),
      // A separator after a name asks for a directory.
      refused({"a.txt"}, {"a.txt/"}, "{F}/a{S}.txt", "Not a directory"),
      // A name too long for the system is refused, whether the name or the text makes it so.
      refused({}, {std::string(4080, 'x')}, "", "File name too long"),
      refused({"a.txt"}, {"a.txt", std::string(4096, 'x')}, "", "File name too long"),
  };
  const std::vector<FolderCase> posix_cases = {
      // A link is renamed, never what it points to, and a link to a directory is no directory;
      // a link whose text, read in its own folder, or that of a link it leads to, names the entry
      // under the dated name stays, or that entry would be lost.
      {{"a.txt", "d/", "a{S}.txt->d"}, {"a.txt"}, 0, {"a{S}.txt=a.txt", "d/"}},
      refused({"a{S}", "a->a{S}/"}, {"a"}, "{F}/a{S}", LINKED),
      refused({"d/", "d/x", "d/a{S}->x", "d/b->a{S}", "d/a->b"}, {"d/a"}, "{F}/d/a{S}", LINKED),
      // "\" splits the name on every system, but names no directory on POSIX systems, in the name
      // or in the text.
      {{"a.d\\x"}, {"a.d\\x", "\\b"}, 0, {"a.d\\x{S}\\b=a.d\\x"}},
  };
  const std::vector<FolderCase> windows_cases = {
      {{"a.d/", "a.d/x"}, {"a.d\\x"}, 0, {"a.d/", "a.d/x{S}=a.d/x"}},
      // A full path past 259 UTF-16 units.
      refused({"a.txt"}, {"a.txt", std::string(230, 'x')}, "", ""),
      // clang-format on
  };
  const auto& own = ON_POSIX ? posix_cases : windows_cases;
  cases.insert(cases.end(), own.begin(), own.end());
  for (const FolderCase& c : cases) check_folder_case(c);
}

#define HYO "\x95\x5C"  // a Shift_JIS character whose second byte is "\"

// A wrong split would stamp these names in the wrong place, or in another folder. A character
// whose second byte is "\" stands between a dot and more of the name, so that a split that takes
// that byte for a separator puts the stamp elsewhere.
TEST(CommandDeathTest, DoubleByteNames) {
  const std::vector<FolderCase> shift_jis = {
      {{"x." HYO "y"}, {"x." HYO "y"}, 0, {"x{S}." HYO "y=x." HYO "y"}},
      {{"x.\xEA\x5Cy"}, {"x.\xEA\x5Cy"}, 0, {"x{S}.\xEA\x5Cy=x.\xEA\x5Cy"}},
      // A lead byte without a second byte is a byte of its own, and hides no dot or separator;
      // Windows does not take such names.
      {{"x.txt\x83", "x{S}.txt"}, {"x.txt\x83"}, 0, {"x{S}.txt", "x{S}.txt\x83=x.txt\x83"}},
      {{"a.\x83/", "a.\x83/f"}, {"a.\x83/f"}, 0, {"a.\x83/", "a.\x83/f{S}=a.\x83/f"}},
  };
  const std::vector<FolderCase> johab = {
      {{"x.\x88\x5Cy"}, {"x.\x88\x5Cy"}, 0, {"x{S}.\x88\x5Cy=x.\x88\x5Cy"}}};
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const char* locale : {"ja_JP.SJIS", "ja_JP.SHIFT_JISX0213", "ko_KR.JOHAB"}) {
    if (!double_byte_available(locale)) {
      if (getenv("VEMBLO_TEST_REQUIRE_ALL") != nullptr) ADD_FAILURE() << "no " << locale;
      continue;
    }
    std::vector<FolderCase> cases = locale[0] == 'k' ? johab : shift_jis;
    // Windows' code page is the system's own, 932 here, and takes whole characters only.
    if (!ON_POSIX) cases.resize(2);
    // In a process of its own with the locale in its environment, since the locale stays as it
    // was first loaded.
    std::string setting = "LC_ALL=" + std::string(locale);
    EXPECT_EXIT(
        {
          putenv(&setting[0]);
          for (const FolderCase& c : cases) check_folder_case(c);
          exit(testing::Test::HasFailure() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
    if (!ON_POSIX) break;
  }
}

}  // namespace
