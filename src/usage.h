// The usage screen that the argument "/?" asks for.
#ifndef VEMBLO_USAGE_H
#define VEMBLO_USAGE_H

// True when the file argument asks for the usage screen.
bool is_help_request(const char* file_arg);

// Writes the usage screen and waits for one key.
void show_usage();

#endif  // VEMBLO_USAGE_H
