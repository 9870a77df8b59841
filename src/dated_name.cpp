// Composes the dated name. Splitting, the stamp and assembly are pure; only the full path and
// the date come from the platform.
#include "dated_name.h"

#include <string.h>

namespace {

// Six digits, YYMMDD, and the terminator.
constexpr std::size_t DATE_STAMP_SIZE = 7;

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

bool append(char* out, std::size_t room, std::size_t* used, const char* bytes, std::size_t size) {
  if (size >= room - *used) return false;
  memcpy(out + *used, bytes, size);
  *used += size;
  return true;
}

// Every lead byte lies above ASCII, so a path without such bytes splits alike in every character
// set, and the character set need not be looked up at all.
const LeadBytes& lead_bytes_for(const char* path) {
  static const LeadBytes NO_LEAD_BYTES{};
  return is_ascii(path) ? NO_LEAD_BYTES : name_lead_bytes();
}

void format_date_stamp(const LocalDate& date, char stamp[DATE_STAMP_SIZE]) {
  // The year within its century; the remainder is kept positive for years before the era.
  int fields[3] = {(date.year % 100 + 100) % 100, date.month, date.day};
  for (std::size_t i = 0; i < 3; ++i) {
    stamp[2 * i] = static_cast<char>('0' + fields[i] / 10 % 10);
    stamp[2 * i + 1] = static_cast<char>('0' + fields[i] % 10);
  }
  stamp[6] = '\0';
}

// The date stamp of today's local date.
int make_date_stamp(char stamp[DATE_STAMP_SIZE]) {
  LocalDate today;
  int error = get_local_date(&today);
  if (error == 0) format_date_stamp(today, stamp);
  return error;
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

std::size_t directory_length(const char* path) {
  PathParts parts = split_full_path(path, lead_bytes_for(path));
  return parts.drive.size + parts.dir.size;
}

bool drop_trailing_separators(const char* path, char* out, std::size_t room) {
  PathParts parts = split_full_path(path, lead_bytes_for(path));
  std::size_t used = 0;
  if (!append(out, room, &used, path,
              static_cast<std::size_t>(parts.ext.start - path) + parts.ext.size)) {
    return false;
  }
  out[used] = '\0';
  return true;
}

bool assemble_dated_name(const PathParts& parts, const char* stamp, const char* text, char* out,
                         std::size_t room) {
  std::size_t used = 0;
  bool fits = append(out, room, &used, parts.drive.start, parts.drive.size) &&
              append(out, room, &used, parts.dir.start, parts.dir.size) &&
              append(out, room, &used, parts.fname.start, parts.fname.size) &&
              append(out, room, &used, stamp, strlen(stamp)) &&
              append(out, room, &used, text, strlen(text)) &&
              append(out, room, &used, parts.ext.start, parts.ext.size);
  if (!fits) return false;
  out[used] = '\0';
  return true;
}

int compose_dated_name(const char* file_arg, const char* text, char* out, std::size_t room) {
  char full_path[MAX_FULL_PATH];
  int error = file_arg[0] == '\0' ? get_current_directory(full_path, sizeof full_path)
                                  : get_full_path(file_arg, full_path, sizeof full_path);
  if (error != 0) return error;
  PathParts parts = split_full_path(full_path, lead_bytes_for(full_path));

  char stamp[DATE_STAMP_SIZE];
  error = make_date_stamp(stamp);
  if (error != 0) return error;
  return assemble_dated_name(parts, stamp, text, out, room) ? 0 : SYS_NAME_TOO_LONG;
}
