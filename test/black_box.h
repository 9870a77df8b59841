// Helpers for the tests that run vemblo in a folder of their own and compare the folder's
// entries, written as populate takes them, before and after.
#ifndef VEMBLO_TEST_BLACK_BOX_H
#define VEMBLO_TEST_BLACK_BOX_H

#include <string>
#include <vector>

#include "support.h"

inline const bool ON_POSIX = SEPARATOR == '/';

// Puts a date stamp where a name holds "{S}".
std::string stamped(std::string name, const std::string& stamp);
std::vector<std::string> stamped(std::vector<std::string> names, const std::string& stamp);

// Makes each entry: "name/" a folder, "name->target" a symbolic link, "name|" a FIFO, any
// other name a file that holds its own name.
void populate(const ScopedFolder& folder, const std::vector<std::string>& entries);

// Every entry below the folder, in the form populate takes.
std::vector<std::string> contents(const std::string& path, const std::string& prefix = "");

struct Outcome {
  RunResult result;
  std::string stamp;  // today's, as the test read it after the run
};

// Runs vemblo in the folder; fails the test when midnight passed during a successful run.
Outcome run_in(const ScopedFolder& folder, const std::vector<std::string>& args,
               const std::vector<std::string>& env = {});

// One run of vemblo in a new folder, as a row of a table. Names may hold "{S}" for the day's
// stamp, the error "{F}" for the folder's full path.
struct FolderCase {
  std::vector<std::string> before;  // as populate takes them
  std::vector<std::string> args;
  int status;
  // As contents gives them, each file with "=text" when it holds another text than its own
  // name; empty: as before.
  std::vector<std::string> after = {};
  // The whole diagnostic on POSIX systems; elsewhere, where the system's reasons differ, only
  // its start up to the first name is compared. Empty: standard error stays empty.
  std::string error = "";
};

// A run that must fail with status 2 and change nothing. dated is the name the diagnostic gives
// after "to", or "" when it gives none.
FolderCase refused(std::vector<std::string> before, std::vector<std::string> args,
                   const std::string& dated, const std::string& reason);

// The usage screen as POSIX systems write it.
inline const std::string USAGE_SCREEN =
    "\nVemblo, version 1.1 (Build 1) \nStamps a file's name with the day's date. \n"
    "Created 11.02.00 \n\nVemblo [file name] [text] \n"
    "        file name - name of the file, being renamed \n"
    "        text      - editional text in file name \n\nVemblo  /?        - help \n\n"
    "press Enter ...";

// Runs the case and checks the status, both streams, every entry of the folder and what each
// file holds, and that nothing appeared beside the folder.
void check_folder_case(const FolderCase& c, const std::vector<std::string>& env = {});

#endif  // VEMBLO_TEST_BLACK_BOX_H
