// The dated name: the argument's full path with the date stamp and the text inserted between the
// base name and the extension, as in notes.txt -> notes261206.txt.
#ifndef VEMBLO_DATED_NAME_H
#define VEMBLO_DATED_NAME_H

#include <cstddef>

#include "path.h"

// Writes drive, dir, fname, stamp, text and ext into out; false when they do not fit its room.
bool assemble_dated_name(const PathParts& parts, const char* stamp, const char* text, char* out,
                         std::size_t room);

// The dated name of file_arg; an empty text is no text. Returns 0 or the system's error code.
int compose_dated_name(const char* file_arg, const char* text, char* out, std::size_t room);

#endif  // VEMBLO_DATED_NAME_H
