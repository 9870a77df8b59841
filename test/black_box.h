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

#endif  // VEMBLO_TEST_BLACK_BOX_H
