// Composes the dated name. The stamp and the assembly are pure; only the full path and the date
// come from the platform.
#include "dated_name.h"

#include <string.h>

namespace {

// Six digits, YYMMDD, and the terminator.
constexpr std::size_t DATE_STAMP_SIZE = 7;

bool append(char* out, std::size_t room, std::size_t* used, const char* bytes, std::size_t size) {
  if (size >= room - *used) return false;
  memcpy(out + *used, bytes, size);
  *used += size;
  return true;
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
