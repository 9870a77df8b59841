// The command driver: decides what a run does and what status it ends with.
#ifndef VEMBLO_COMMAND_H
#define VEMBLO_COMMAND_H

// Exit statuses, named by what the run did.
constexpr int STATUS_DONE = 0;         // renamed, or the usage screen shown
constexpr int STATUS_NO_ARGUMENT = 1;  // nothing given, nothing touched
constexpr int STATUS_NOT_RENAMED = 2;  // a failure, reported on standard error

// Runs the command for the argument vector: entry 1 is the file, entry 2 the optional text.
int run_command(int argc, char** argv);

#endif  // VEMBLO_COMMAND_H
