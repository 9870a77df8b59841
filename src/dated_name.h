// The dated name: the argument's full path with the date stamp and the text inserted between the
// base name and the extension, as in notes.txt -> notes261206.txt.
#ifndef VEMBLO_DATED_NAME_H
#define VEMBLO_DATED_NAME_H

#include <cstddef>

#include "platform/platform.h"

// A run of bytes inside the full path it was split from.
struct Piece {
  const char* start;
  std::size_t size;
};

// The pieces of a full path. Joined in order they give the path back, less any separators at its
// end that follow a name.
struct PathParts {
  Piece drive;  // "C:" when the second byte is ":", else empty
  Piece dir;    // up to and including the "/" or "\" before the final name
  Piece fname;  // the final component up to its last dot
  Piece ext;    // from that dot to the end
};

// Splits full_path, reading two-byte characters whole.
PathParts split_full_path(const char* full_path, const LeadBytes& lead_bytes);

// The length of the drive and the directory that begin path, in the character set of names.
std::size_t directory_length(const char* path);

// Writes path into out without the separators at its end, which name the same directory, unless
// they are all it has, as the root's; false when it does not fit the room.
bool drop_trailing_separators(const char* path, char* out, std::size_t room);

// Writes drive, dir, fname, stamp, text and ext into out; false when they do not fit its room.
bool assemble_dated_name(const PathParts& parts, const char* stamp, const char* text, char* out,
                         std::size_t room);

// The dated name of file_arg; an empty text is no text. Returns 0 or the system's error code.
int compose_dated_name(const char* file_arg, const char* text, char* out, std::size_t room);

#endif  // VEMBLO_DATED_NAME_H
