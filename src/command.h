// The command driver: decides what a run does and what status it ends with.
#ifndef VEMBLO_COMMAND_H
#define VEMBLO_COMMAND_H

// Exit statuses.
constexpr int EXIT_RENAMED = 0;
constexpr int EXIT_NO_ARGUMENT = 1;
constexpr int EXIT_FAILED = 2;

// Runs the command for the argument vector: entry 1 is the file, entry 2 the optional text.
int run_command(int argc, char** argv);

// Renames file_arg to dated_name, replacing a file that stands there but never a directory.
// Returns 0 or the system's error code.
int replace_and_rename(const char* file_arg, const char* dated_name);

#endif  // VEMBLO_COMMAND_H
