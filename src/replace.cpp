// Replacing and renaming: how the file argument comes to stand under its dated name, replacing
// a file there but never a directory, with nothing lost at any step, on file systems that can
// rename without replacing and on those that cannot.
#include "replace.h"

#include <stdio.h>
#include <string.h>

#include "dated_name.h"
#include "platform/platform.h"

namespace {

bool same_file(const Entry& a, const Entry& b) {
  return a.kind != EntryKind::none && b.kind != EntryKind::none && a.volume == b.volume &&
         memcmp(a.id, b.id, sizeof a.id) == 0;
}

// The aside names carry the process id, so no two runs take the same one. A run that crashed
// may have left one behind for a later process of the same number; a few more get past it.
constexpr int ASIDE_ATTEMPTS = 10;

// Moves the entry under name to a name of this run's own in the same directory, written to aside.
int move_aside(const char* name, char aside[MAX_FULL_PATH]) {
  int directory_size = static_cast<int>(directory_length(name));
  unsigned long run = get_process_id();
  for (int attempt = 0; attempt < ASIDE_ATTEMPTS; ++attempt) {
    int size = snprintf(aside, MAX_FULL_PATH, "%.*s.vemblo-aside-%lu-%d", directory_size, name, run,
                        attempt);
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

// A rename between two names of one file changes nothing, so the argument's name is removed
// instead. It is moved aside first and removed only while the dated name still names the file:
// were both names one entry, reached two ways, the entry goes back.
int remove_second_name(const char* file_arg, const char* dated_name, const Entry& file) {
  char aside[MAX_FULL_PATH];
  int error = move_aside(file_arg, aside);
  if (error != 0) return error;
  Entry target;
  error = look_at_entry(dated_name, /*follow=*/false, &target);
  if (error == 0 && !same_file(target, file)) error = SYS_ENTRY_EXISTS;
  if (error == 0) error = remove_file(aside);
  if (error != 0) (void)rename_keeping(aside, file_arg);
  return error;
}

// A rename may be reported done that changed nothing: between two names of one file where the
// file system counts no second names, or between two spellings of one name. The argument's name
// must be gone, or stand for another file by now. A look that fails cannot gainsay the system.
int confirm_renamed(const char* file_arg, const Entry& source) {
  Entry now;
  if (look_at_entry(file_arg, /*follow=*/false, &now) != 0) return 0;
  return same_file(now, source) ? SYS_ENTRY_EXISTS : 0;
}

int move_entry(const char* file_arg, const char* dated_name, const Entry& source,
               const Entry& target) {
  if (source.kind == EntryKind::directory) {
    // A directory that appears after the look must not be replaced either.
    return target.kind == EntryKind::none ? rename_keeping(file_arg, dated_name)
                                          : replace_file_by_directory(file_arg, dated_name);
  }
  // The same number can stand for two files (a file bound over another's name shows its own);
  // only a file with a second name has one to lose.
  if (same_file(source, target) && source.links >= 2) {
    return remove_second_name(file_arg, dated_name, source);
  }
  return rename_replacing(file_arg, dated_name);
}

// Separators after a name ask for a directory, which is then renamed by its name alone: with them,
// a link to it would be followed, and a file swapped in its place would not be found. Any other
// entry keeps them, and the system answers for it. name points to file_arg or to trimmed.
int name_source(const char* file_arg, char trimmed[MAX_FULL_PATH], const char** name) {
  *name = file_arg;
  if (!drop_trailing_separators(file_arg, trimmed, MAX_FULL_PATH)) return SYS_NAME_TOO_LONG;
  if (strcmp(trimmed, file_arg) == 0) return 0;
  Entry followed;
  int error = look_at_entry(file_arg, /*follow=*/true, &followed);
  if (error == 0 && followed.kind == EntryKind::directory) *name = trimmed;
  return error;
}

}  // namespace

int replace_and_rename(const char* file_arg, const char* dated_name) {
  char trimmed[MAX_FULL_PATH];
  Entry target;
  Entry source;
  int error = name_source(file_arg, trimmed, &file_arg);
  if (error == 0) error = look_at_entry(dated_name, /*follow=*/false, &target);
  if (error == 0) error = look_at_entry(file_arg, /*follow=*/false, &source);
  if (error != 0) return error;
  // POSIX would let a directory replace an empty one; a directory stands on every system.
  if (target.kind == EntryKind::directory) return SYS_ENTRY_EXISTS;
  if (source.kind == EntryKind::link && target.kind != EntryKind::none) {
    // Put in the place of what it leads to, the link would lead to itself, and the file be lost.
    Entry followed;
    error = look_at_entry(file_arg, /*follow=*/true, &followed);
    if (error != 0) return error;
    if (same_file(followed, target)) return LINKS_TO_DATED_NAME;
  }
  error = move_entry(file_arg, dated_name, source, target);
  return error != 0 ? error : confirm_renamed(file_arg, source);
}
