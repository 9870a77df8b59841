// Replacing and renaming: the policy that puts the file argument under its dated name.
//
// A file under the dated name is replaced in one step, so that there is never a moment when
// neither file exists; a directory there is never replaced, not even one that appears after the
// look. A directory takes a file's place only once it stands there. When the dated name is a
// second name of the file, the argument's name is removed. Where the file system cannot refuse to
// replace, the argument first goes to a name of this run's own, which only one of identical runs
// can take. Whatever fails, nothing is changed. Only a crash between two steps can leave
// something else: on a local disk, a file that a directory replaces under the directory's old
// name, or a file that had a second name under a name of the form ".vemblo-aside-PID-N"; elsewhere
// any entry that a run moved under such a name, and an empty directory under the dated name.
//
// The routes, and the function that takes each:
// - a name with separators after it: a directory's is renamed by its name alone (name_source);
// - a symbolic link that leads to the entry under the dated name: refused (check_link);
// - a file over another file where the file system replaces in one step: one rename that
//   replaces (replace_and_rename);
// - a file onto nothing: one rename that replaces nothing (move_entry);
// - a file over a second name of its own, or a file over a file wherever the file system cannot
//   replace in one step or cannot refuse to replace: through a name of its own
//   (rename_through_own_name, take_own_name);
// - a directory onto nothing: a rename that replaces nothing, or through a name of its own onto a
//   placeholder (move_directory, place_directory);
// - a directory over a file: swapped with it, or both moved to names of their own first
//   (replace_file_by_directory);
// - a rename reported done that changed nothing: refused (confirm_renamed).
#ifndef VEMBLO_REPLACE_H
#define VEMBLO_REPLACE_H

#include "platform/platform.h"

// Where a run that fails leaves an entry that it moved and could not put back: the name the entry
// had, and the name it stands under now, which is empty where the run left none.
struct LeftAside {
  char name[MAX_FULL_PATH];
  char now[MAX_FULL_PATH];
};

// Not a system's error code: the argument is a symbolic link to the entry under the dated name,
// which the rename would replace by a link to itself.
constexpr int LINKS_TO_DATED_NAME = -1;

// Renames file_arg, exactly as the command line holds it, to dated_name. Returns 0,
// LINKS_TO_DATED_NAME or the system's error code, and fills left.
int replace_and_rename(const char* file_arg, const char* dated_name, LeftAside* left);

#endif  // VEMBLO_REPLACE_H
