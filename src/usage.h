// The usage screen that the argument "/?" asks for.
#ifndef VEMBLO_USAGE_H
#define VEMBLO_USAGE_H

// True when the file argument asks for the usage screen.
bool is_help_request(const char* file_arg);

// Writes the usage screen, waits for one key and ends the process with status 0.
[[noreturn]] void show_usage();

#endif  // VEMBLO_USAGE_H
