// Replacing and renaming: how the file argument comes to stand under its dated name, replacing
// a file there but never a directory, with nothing lost at any step, on file systems that can
// rename without replacing and on those that cannot (NFS, SMB, FUSE).
#include "replace.h"

#include <stdio.h>
#include <string.h>

#include "path.h"
#include "platform/platform.h"

namespace {

bool same_file(const Entry& a, const Entry& b) {
  return a.kind != EntryKind::none && b.kind != EntryKind::none && a.volume == b.volume &&
         memcmp(a.id, b.id, sizeof a.id) == 0;
}

// How much of two files is read to tell them apart where their looks cannot.
constexpr std::size_t COMPARED_START = 4096;

// Where a file system numbers each name on its own, two names of one file, or a link that an SMB
// client shows as the file it leads to, can be told from two files only by what they show and
// hold. Two files of one size, written in the same second as such a file system counts them,
// mostly differ at the start; a start that cannot be read counts as the same. Where nothing
// stands under b any more, nothing there can be lost: an SMB client renames by a handle, so that
// what a run moved may be the argument that another run had already put under b.
bool seem_one_file(const char* a, const Entry& a_look, const char* b, const Entry& b_look) {
  if (a_look.kind != b_look.kind || a_look.size != b_look.size ||
      a_look.modified != b_look.modified || a_look.changed != b_look.changed) {
    return false;
  }
  char a_start[COMPARED_START];
  char b_start[COMPARED_START];
  std::size_t a_size = 0;
  std::size_t b_size = 0;
  if (read_file_start(a, a_start, sizeof a_start, &a_size) != 0) return true;
  int error = read_file_start(b, b_start, sizeof b_start, &b_size);
  if (error != 0) return error != SYS_NO_ENTRY;
  return a_size == b_size && memcmp(a_start, b_start, a_size) == 0;
}

// A name of this run's own is new at each try; a try that meets a name in use takes another.
constexpr int OWN_NAME_ATTEMPTS = 10;

// Moves the entry under name to a name of this run's own in the same directory, written to own.
// Of several runs that move one entry, only one can: the others find nothing under name. The
// names carry the process number and a random number, so that no other run, on this machine or
// on another one that shares the folder, takes the same; that is what makes them safe to rename
// over where the file system cannot rename without replacing, which unguarded, where given, tells.
int take_own_name(const char* name, char own[MAX_FULL_PATH], bool* unguarded = nullptr) {
  int directory_size = static_cast<int>(directory_length(name));
  int error = SYS_ENTRY_EXISTS;
  for (int attempt = 0; attempt < OWN_NAME_ATTEMPTS && error == SYS_ENTRY_EXISTS; ++attempt) {
    int size = snprintf(own, MAX_FULL_PATH, "%.*s.vemblo-aside-%lu-%lu", directory_size, name,
                        get_process_id(), get_random_number());
    if (size < 0 || static_cast<std::size_t>(size) >= MAX_FULL_PATH) return SYS_NAME_TOO_LONG;
    error = rename_keeping(name, own);
    if (error == SYS_NOT_SUPPORTED) {
      if (unguarded != nullptr) *unguarded = true;
      error = rename_replacing(name, own);
    }
  }
  return error;
}

// Notes that the entry that stood under name now stands under now, where this run could not put
// it back; only the first such entry is named.
void leave(const char* now, const char* name, LeftAside* left) {
  if (left->now[0] != '\0') return;
  (void)snprintf(left->name, sizeof left->name, "%s", name);
  (void)snprintf(left->now, sizeof left->now, "%s", now);
}

// An SMB client through FUSE closes a file on the server only a moment after the run has closed
// it, and until then refuses as busy to rename it or over it: such a rename is tried again, for
// up to two seconds.
constexpr int BUSY_ATTEMPTS = 100;

int rename_once_closed(const char* from, const char* to) {
  int error = rename_replacing(from, to);
  for (int attempt = 1; attempt < BUSY_ATTEMPTS && error == SYS_BUSY; ++attempt) {
    pause_briefly();
    error = rename_replacing(from, to);
  }
  return error;
}

// Puts the entry that this run moved to own back under name, and tells how that went. Where
// nothing stands under own any more, nothing is left to put back.
int put_back(const char* own, const char* name, LeftAside* left) {
  int error = rename_once_closed(own, name);
  if (error != 0 && error != SYS_NO_ENTRY) leave(own, name, left);
  return error;
}

// Puts the directory under own in the dated name's place, where nothing may be replaced, not even
// an empty directory. Without a rename that refuses to, an empty directory is made there first,
// which fails when anything stands there, and the rename replaces only that. When the rename
// fails, that directory goes again where the rename cannot have moved anything into it: the
// directory is still under own, or was not there to move. A client that works around a refused
// rename may have moved it into the dated name after all. A file system that refuses to rename
// onto an empty directory cannot replace one either: there the rename goes without it.
int place_directory(const char* own, const char* dated_name) {
  int error = rename_keeping(own, dated_name);
  if (error != SYS_NOT_SUPPORTED) return error;
  error = make_directory(dated_name);
  if (error != 0) return error;
  error = rename_replacing(own, dated_name);
  if (error != 0 && (error == SYS_NO_ENTRY || directory_stands(own)) &&
      remove_directory(dated_name) == 0 && error == SYS_ENTRY_EXISTS) {
    error = rename_replacing(own, dated_name);
  }
  return error;
}

// A directory takes the dated name where nothing stood at the look. It is moved to a name of its
// own first, so that of identical runs only one goes on, and put back where it cannot be placed.
int move_directory(const char* directory, const char* dated_name, LeftAside* left) {
  int error = rename_keeping(directory, dated_name);
  if (error != SYS_NOT_SUPPORTED) return error;
  char own[MAX_FULL_PATH];
  error = take_own_name(directory, own);
  if (error != 0) return error;
  error = place_directory(own, dated_name);
  if (error != 0) (void)put_back(own, directory, left);
  return error;
}

// No system renames a directory over a file, and the file may go only once the directory stands
// in its place. The two are swapped in one step, and the file, now under the directory's old
// name, is removed. Where they cannot be swapped, the directory and then the file are moved to
// names of this run's own, the directory is placed, and the file goes; a step that fails puts
// back what was moved. An entry that the file system does not let go as a file, a directory
// put there since the look, goes back too.
//
// An SMB client renames by a handle that it opened by name, so that a run that opened the
// directory in the same instant can take it from this run's own name. That run then puts it in
// the file's place; where the file cannot go back because a directory stands there, and this
// run's directory is gone, the file goes. Anything else there may be another run's placeholder,
// gone a moment later, and the file is put back once more.
int replace_file_by_directory(const char* directory, const char* dated_name, LeftAside* left) {
  int error = exchange_entries(directory, dated_name);
  if (error == 0) {
    error = remove_file(directory);
    if (error != 0 && exchange_entries(directory, dated_name) != 0) {
      leave(directory, dated_name, left);
    }
    return error;
  }
  if (error != SYS_NOT_SUPPORTED) return error;

  char own_directory[MAX_FULL_PATH];
  char own_file[MAX_FULL_PATH];
  error = take_own_name(directory, own_directory);
  if (error != 0) return error;
  error = take_own_name(dated_name, own_file);
  bool holds_file = error == 0;
  // Where the file has gone since the look, there is nothing to move aside.
  if (error == 0 || error == SYS_NO_ENTRY) error = place_directory(own_directory, dated_name);
  if (error == 0 && holds_file && (error = remove_file(own_file)) != 0) {
    (void)rename_replacing(dated_name, own_directory);
  }
  if (error != 0 && holds_file && rename_replacing(own_file, dated_name) != 0) {
    if (directory_stands(own_directory) || !directory_stands(dated_name)) {
      (void)put_back(own_file, dated_name, left);
    } else if (remove_file(own_file) != 0) {
      leave(own_file, dated_name, left);
    }
  }
  if (error != 0) (void)put_back(own_directory, directory, left);
  return error;
}

// A file is moved to a name of its own, so that of identical runs only one goes on, and then
// renamed over the dated name, in one step where the file system replaces so. Where it cannot
// refuse to replace, a file under the dated name that shows just what the argument showed may be
// the argument itself, under a second name or behind a link that the client does not show, and
// the run fails rather than lose it. A rename reported done leaves nothing under the own name,
// unless that and the dated name were two names of one file: the own name then goes. Where the
// two cannot be told apart, nothing is removed: the file goes back, and the run fails. The
// rename back tells last: where nothing is left to move back, the file stands under the dated
// name.
int rename_through_own_name(const char* file_arg, const char* dated_name, const Entry& source,
                            const Entry& target, LeftAside* left) {
  char own[MAX_FULL_PATH];
  bool unguarded = false;
  int error = take_own_name(file_arg, own, &unguarded);
  if (error != 0) return error;
  bool alike = unguarded && target.kind != EntryKind::none && !same_file(source, target) &&
               seem_one_file(own, source, dated_name, target);
  error = alike ? SYS_ENTRY_EXISTS : rename_once_closed(own, dated_name);
  if (error != 0) {
    (void)put_back(own, file_arg, left);
    return error;
  }
  Entry still;
  Entry there;
  error = look_at_entry(own, /*follow=*/false, &still);
  if (error == 0 && still.kind == EntryKind::none) return 0;
  if (error == 0) error = look_at_entry(dated_name, /*follow=*/false, &there);
  if (error == 0) error = same_file(still, there) ? remove_file(own) : SYS_ENTRY_EXISTS;
  if (error == 0) return 0;
  return put_back(own, file_arg, left) == SYS_NO_ENTRY ? 0 : error;
}

// A rename may be reported done that changed nothing, between two spellings of one name. The
// argument's name must be gone, or stand for another file by now. A look that fails cannot
// gainsay the system.
int confirm_renamed(const char* file_arg, const Entry& source) {
  Entry now;
  if (look_at_entry(file_arg, /*follow=*/false, &now) != 0) return 0;
  return same_file(now, source) ? SYS_ENTRY_EXISTS : 0;
}

// A file onto nothing is renamed in one step that replaces nothing. A file over a file, where the
// file system cannot replace it in one step, or where it cannot refuse to replace, goes through a
// name of its own: another run may be renaming the same file, a client may replace by deleting
// first, and a rename between two names of one file changes nothing. Only an error from the file
// system itself says that it refuses: the system answers for a name that its cache shows taken.
int move_entry(const char* file_arg, const char* dated_name, const Entry& source,
               const Entry& target, LeftAside* left) {
  if (source.kind == EntryKind::directory) {
    return target.kind == EntryKind::none ? move_directory(file_arg, dated_name, left)
                                          : replace_file_by_directory(file_arg, dated_name, left);
  }
  if (target.kind == EntryKind::none) {
    int error = rename_keeping(file_arg, dated_name);
    if (error != SYS_ENTRY_EXISTS && error != SYS_NOT_SUPPORTED) return error;
  }
  return rename_through_own_name(file_arg, dated_name, source, target, left);
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

// The looks change nothing, and an interrupt ends them at once, as it would a look that hangs on
// a network file system; from the first step that changes a name to the last, it waits.
int replace_and_rename(const char* file_arg, const char* dated_name, LeftAside* left) {
  left->now[0] = '\0';
  // A name longer than any file system takes is refused before a look asks for it: some network
  // clients fail every request after such a look, until they are mounted again.
  if (strlen(dated_name) - directory_length(dated_name) > MAX_NAME) return SYS_NAME_TOO_LONG;
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
  // A file over another file is renamed in one step where the file system replaces so under its
  // own lock; where it may hang, the question is asked while an interrupt still ends the run.
  bool one_step = source.kind != EntryKind::directory && target.kind == EntryKind::file &&
                  !same_file(source, target) && replaces_in_one_step(dated_name);
  hold_interrupts();
  error = one_step ? rename_replacing(file_arg, dated_name)
                   : move_entry(file_arg, dated_name, source, target, left);
  release_interrupts();
  return error != 0 ? error : confirm_renamed(file_arg, source);
}
