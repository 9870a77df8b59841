// Replacing and renaming: the policy that puts the file argument under its dated name.
#ifndef VEMBLO_REPLACE_H
#define VEMBLO_REPLACE_H

// Renames file_arg to dated_name, replacing a file that stands there but never a directory.
// Returns 0 or the system's error code.
int replace_and_rename(const char* file_arg, const char* dated_name);

#endif  // VEMBLO_REPLACE_H
