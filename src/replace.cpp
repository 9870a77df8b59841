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

// Gives the file under name, the file looked at, a name of this run's own in the same directory,
// written to aside, and frees name. A second name cannot be given to a directory, such as one
// that another run has put under name since the look; where the file system gives no second
// names, the entry is moved instead, and moved back unless it is the file.
int move_aside(const char* name, const Entry& file, char aside[MAX_FULL_PATH]) {
  int directory_size = static_cast<int>(directory_length(name));
  unsigned long run = get_process_id();
  bool linked = true;
  int error = SYS_ENTRY_EXISTS;
  for (int attempt = 0; attempt < ASIDE_ATTEMPTS && error == SYS_ENTRY_EXISTS; ++attempt) {
    int size = snprintf(aside, MAX_FULL_PATH, "%.*s.vemblo-aside-%lu-%d", directory_size, name, run,
                        attempt);
    if (size < 0 || static_cast<std::size_t>(size) >= MAX_FULL_PATH) return SYS_NAME_TOO_LONG;
    error = make_second_name(name, aside);
    if (error == SYS_NOT_SUPPORTED) linked = false, error = rename_keeping(name, aside);
  }
  if (error != 0) return error;
  Entry moved;
  error = look_at_entry(aside, /*follow=*/false, &moved);
  if (error == 0 && !same_file(moved, file)) error = SYS_ENTRY_EXISTS;
  if (error == 0 && linked) error = remove_file(name);
  if (error != 0) (void)(linked ? remove_file(aside) : rename_keeping(aside, name));
  return error;
}

// No system renames a directory over a file, and the file may go only once the directory stands
// in its place. The two are swapped in one step, and the file, now under the directory's old
// name, is removed. Where they cannot be swapped, the file is moved aside, and put back when the
// rename fails. Where it cannot be put back because the directory, or the file itself, stands
// there already, another run has done this work, and the aside name goes. Only a crash between two
// of these steps can leave the file under its aside name, or under the directory's old name.
int replace_file_by_directory(const char* directory, const char* dated_name, const Entry& source,
                              const Entry& target) {
  int error = exchange_entries(directory, dated_name);
  if (error == 0) {
    error = remove_file(directory);
    if (error != 0) (void)exchange_entries(directory, dated_name);
    return error;
  }
  if (error != SYS_NOT_SUPPORTED) return error;

  char aside[MAX_FULL_PATH];
  error = move_aside(dated_name, target, aside);
  if (error != 0) return error;
  error = rename_keeping(directory, dated_name);
  if (error == 0) {
    error = remove_file(aside);
    if (error == 0) return 0;
    (void)rename_keeping(dated_name, directory);
  }
  Entry there;
  if (rename_keeping(aside, dated_name) == SYS_ENTRY_EXISTS &&
      look_at_entry(dated_name, /*follow=*/false, &there) == 0 &&
      (same_file(there, source) || same_file(there, target))) {
    (void)remove_file(aside);
  }
  return error;
}

// A rename between two names of one file changes nothing, so the argument's name is moved aside
// and renamed over the dated name, and the aside name removed. No name goes on the word of a
// look, which a cache may have kept from before another process replaced the dated name: the
// rename then replaces that file, as any rename would, and the aside name is gone already.
int remove_second_name(const char* file_arg, const char* dated_name, const Entry& file) {
  char aside[MAX_FULL_PATH];
  int error = move_aside(file_arg, file, aside);
  if (error != 0) return error;
  error = rename_replacing(aside, dated_name);
  if (error == 0) {
    error = remove_file(aside);
    if (error == 0 || error == SYS_NO_ENTRY) return 0;
  }
  (void)rename_keeping(aside, file_arg);
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
    return target.kind == EntryKind::none
               ? rename_keeping(file_arg, dated_name)
               : replace_file_by_directory(file_arg, dated_name, source, target);
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

// How many links a chain may hold before it is taken for a loop, as Linux counts.
constexpr int MAX_LINKS_FOLLOWED = 40;

// Renamed over the entry it leads to, a link would lead to itself, and that entry be lost. It
// leads there when the text of a link on its chain names the entry: "a261206/" names a file that
// no system follows it to. Where the texts cannot be read, the system follows the chain.
int check_link(const char* link, const Entry& target) {
  char paths[2][MAX_FULL_PATH];
  const char* name = link;
  for (int step = 0; step < MAX_LINKS_FOLLOWED; ++step) {
    char* next = paths[step % 2];
    Entry entry;
    int error = read_link(name, next, MAX_FULL_PATH);
    bool whole = error == SYS_NOT_SUPPORTED;  // the system follows the chain to its end
    if (whole) {
      error = look_at_entry(name, /*follow=*/true, &entry);
    } else if (error == 0) {
      error = look_at_entry(next, /*follow=*/false, &entry);
    }
    if (error != 0) return error;
    if (same_file(entry, target)) return LINKS_TO_DATED_NAME;
    if (whole || entry.kind != EntryKind::link) return 0;
    name = next;
  }
  return 0;
}

}  // namespace

int replace_and_rename(const char* file_arg, const char* dated_name) {
  char trimmed[MAX_FULL_PATH];
  Entry target;
  Entry source;
  int error = name_source(file_arg, trimmed, &file_arg);
  if (error == 0) error = look_at_entry(file_arg, /*follow=*/false, &source);
  if (error == 0 && source.kind == EntryKind::none) error = source.missing;
  if (error == 0) error = look_at_entry(dated_name, /*follow=*/false, &target);
  if (error != 0) return error;
  // POSIX would let a directory replace an empty one; a directory stands on every system.
  if (target.kind == EntryKind::directory) return SYS_ENTRY_EXISTS;
  if (source.kind == EntryKind::link && target.kind != EntryKind::none) {
    error = check_link(file_arg, target);
    if (error != 0) return error;
  }
  error = move_entry(file_arg, dated_name, source, target);
  return error != 0 ? error : confirm_renamed(file_arg, source);
}
