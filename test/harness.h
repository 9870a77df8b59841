// The test harness: temporary folders written as lists of entries, and run_command called in
// this process with its working directory and standard streams redirected.
#ifndef VEMBLO_TEST_HARNESS_H
#define VEMBLO_TEST_HARNESS_H

#include <string>
#include <vector>

extern const char SEPARATOR;  // the separator of the system's full paths
inline const bool ON_POSIX = SEPARATOR == '/';
// What every diagnostic says before the first name.
inline const std::string CANNOT_RENAME = "vemblo: cannot rename '";

// A new temporary folder, removed with everything in it when the test ends.
struct ScopedFolder {
  ScopedFolder();
  ~ScopedFolder();
  std::string operator/(const std::string& name) const { return path + SEPARATOR + name; }
  const std::string path;
};

// A run in a new folder of entries: "name/" a folder, "name->target" a symbolic link,
// "name=>target" a second name of the file target, any other name a file that holds its own name.
// Names may hold "{S}" for the day's stamp, the error also "{F}" for the folder. after lists every
// entry so, a file that holds another text as "name=text", or is empty for the folder as before.
// error is the diagnostic, "" for none; where the system's reasons are not POSIX's, only its start
// up to the first name counts.
struct FolderCase {
  std::vector<std::string> before, args;
  int status;
  std::vector<std::string> after = {};
  std::string error = "";
};

// Runs the case and checks its status, its diagnostic and the entries it leaves.
void check_folder_case(const FolderCase& c);

// Whether names reach the program in the locale's double-byte character set; on Windows, whether
// the code page is 932, Shift_JIS.
bool double_byte_available(const char* locale);

#endif  // VEMBLO_TEST_HARNESS_H
