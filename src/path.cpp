// Splitting paths. Pure, apart from looking up the character set of names for a path that is not
// ASCII.
#include "path.h"

#include <string.h>

namespace {

bool is_lead(const LeadBytes& lead_bytes, char byte) {
  return lead_bytes.lead[static_cast<unsigned char>(byte)];
}

// The byte after a lead byte belongs to its character when it is 0x40 or above, as it is in the
// two-byte characters of every double-byte set. GB18030's four-byte characters and some of
// JOHAB's have a second byte below 0x40, but only a digit or one of ":;<=>?", which a split never
// looks for, so that reading it on its own splits alike. A lead byte before any other byte is a
// byte of its own.
bool is_trail(char byte) { return static_cast<unsigned char>(byte) >= 0x40; }

bool is_separator(char byte) { return byte == '/' || byte == '\\'; }

bool is_ascii(const char* text) {
  for (; *text != '\0'; ++text) {
    if (static_cast<unsigned char>(*text) >= 0x80) return false;
  }
  return true;
}

}  // namespace

PathParts split_full_path(const char* full_path, const LeadBytes& lead_bytes) {
  PathParts parts{};
  const char* scan = full_path;
  if (full_path[0] != '\0' && full_path[1] == ':') scan = full_path + 2;
  parts.drive = {full_path, static_cast<std::size_t>(scan - full_path)};

  // The final component is the last one that is not empty: separators behind it, as shell
  // completion leaves after a directory's name, name that same directory.
  const char* final_start = nullptr;
  const char* final_end = nullptr;
  const char* last_dot = nullptr;
  const char* end = scan;
  bool after_separator = true;
  while (*end != '\0') {
    std::size_t size = is_lead(lead_bytes, *end) && is_trail(end[1]) ? 2 : 1;
    if (size == 1 && is_separator(*end)) {
      after_separator = true;
    } else {
      if (after_separator) {
        final_start = end;
        last_dot = nullptr;
      }
      after_separator = false;
      if (size == 1 && *end == '.') last_dot = end;
      final_end = end + size;
    }
    end += size;
  }
  if (final_start == nullptr) final_start = final_end = end;  // the root, or nothing at all

  parts.dir = {scan, static_cast<std::size_t>(final_start - scan)};
  const char* ext_start = last_dot != nullptr ? last_dot : final_end;
  parts.fname = {final_start, static_cast<std::size_t>(ext_start - final_start)};
  parts.ext = {ext_start, static_cast<std::size_t>(final_end - ext_start)};
  return parts;
}

// Every lead byte lies above ASCII, so a path without such bytes splits alike in every character
// set, and the character set need not be looked up at all.
const LeadBytes& lead_bytes_for(const char* path) {
  static const LeadBytes NO_LEAD_BYTES{};
  return is_ascii(path) ? NO_LEAD_BYTES : name_lead_bytes();
}

std::size_t directory_length(const char* path) {
  PathParts parts = split_full_path(path, lead_bytes_for(path));
  return parts.drive.size + parts.dir.size;
}

bool drop_trailing_separators(const char* path, char* out, std::size_t room) {
  PathParts parts = split_full_path(path, lead_bytes_for(path));
  std::size_t size = static_cast<std::size_t>(parts.ext.start - path) + parts.ext.size;
  if (size >= room) return false;
  memcpy(out, path, size);
  out[size] = '\0';
  return true;
}
