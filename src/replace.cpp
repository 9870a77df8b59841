// Replacing and renaming: how the file argument comes to stand under its dated name, replacing
// a file there but never a directory, with nothing lost at any step.
#include "replace.h"

#include <stdio.h>

#include "dated_name.h"

namespace {

// How many names move_aside tries before it gives up.
constexpr int ASIDE_ATTEMPTS = 100;

// Moves the entry under name to a new name in its own directory, written to aside.
int move_aside(const char* name, char aside[MAX_FULL_PATH]) {
  PathParts parts = split_full_path(name, name_lead_bytes());
  int directory_size = static_cast<int>(parts.drive.size + parts.dir.size);
  for (int attempt = 0; attempt < ASIDE_ATTEMPTS; ++attempt) {
    int size =
        snprintf(aside, MAX_FULL_PATH, "%.*s.vemblo-aside-%d", directory_size, name, attempt);
    if (size < 0 || static_cast<std::size_t>(size) >= MAX_FULL_PATH) return SYS_NAME_TOO_LONG;
    int error = rename_keeping(name, aside);
    if (error != SYS_ENTRY_EXISTS) return error;
  }
  return SYS_ENTRY_EXISTS;
}

// No system renames a directory over a file, and the file may go only once the directory stands
// in its place. The two are swapped in one step, and the file, now under the directory's old
// name, is removed. Where they cannot be swapped, the file is moved aside, and back again when
// the rename fails. Only a crash between two of these steps can leave the file under its aside
// name, or under the directory's old name.
int replace_file_by_directory(const char* directory, const char* dated_name) {
  int error = exchange_entries(directory, dated_name);
  if (error == 0) {
    error = remove_file(directory);
    if (error != 0) (void)exchange_entries(directory, dated_name);
    return error;
  }
  if (error != SYS_NOT_SUPPORTED) return error;

  char aside[MAX_FULL_PATH];
  error = move_aside(dated_name, aside);
  if (error != 0) return error;
  error = rename_keeping(directory, dated_name);
  if (error == 0) {
    error = remove_file(aside);
    if (error == 0) return 0;
    (void)rename_keeping(dated_name, directory);
  }
  (void)rename_keeping(aside, dated_name);
  return error;
}

// A rename between two names of one file changes nothing on POSIX systems, so the argument's
// name is removed instead. It is moved aside first and removed only while the dated name still
// names the file: were both names one entry, reached two ways, the entry goes back.
int remove_second_name(const char* file_arg, const char* dated_name) {
  char aside[MAX_FULL_PATH];
  int error = move_aside(file_arg, aside);
  if (error != 0) return error;
  if (!is_same_file(aside, dated_name)) return rename_keeping(aside, file_arg);
  error = remove_file(aside);
  if (error != 0) (void)rename_keeping(aside, file_arg);
  return error;
}

}  // namespace

int replace_and_rename(const char* file_arg, const char* dated_name) {
  EntryKind target = get_entry_kind(dated_name);
  // POSIX would let a directory replace an empty one; a directory stands on every system.
  if (target == EntryKind::directory) return SYS_ENTRY_EXISTS;
  if (get_entry_kind(file_arg) == EntryKind::directory) {
    // A directory that appears after the check must not be replaced either.
    return target == EntryKind::file ? replace_file_by_directory(file_arg, dated_name)
                                     : rename_keeping(file_arg, dated_name);
  }
  if (target == EntryKind::file && is_same_file(file_arg, dated_name)) {
    return remove_second_name(file_arg, dated_name);
  }
  return rename_replacing(file_arg, dated_name);
}

