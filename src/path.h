// Splitting a path into its parts: the drive ("C:"), the directory up to and including the last
// separator ("/" or "\" on every system), and the final name, cut at its last dot into the base
// name and the extension. Paths are bytes in the character set of names, where a lead byte and
// the byte after it form one character, so that the second byte of a double-byte character is
// never taken for a separator or a dot.
#ifndef VEMBLO_PATH_H
#define VEMBLO_PATH_H

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

// The lead bytes that splitting path needs: none where it is ASCII, so that the character set of
// names is looked up only for a path that may hold two-byte characters.
const LeadBytes& lead_bytes_for(const char* path);

// The length of the drive and the directory that begin path, in the character set of names.
std::size_t directory_length(const char* path);

// Writes path into out without the separators at its end, which name the same directory, unless
// they are all it has, as the root's; false when it does not fit the room.
bool drop_trailing_separators(const char* path, char* out, std::size_t room);

#endif  // VEMBLO_PATH_H
