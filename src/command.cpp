// The command driver: composes the dated name, renames the file to it, and reports a failure on
// standard error in the form "vemblo: cannot rename 'a' to 'b': reason".
#include "command.h"

#include <stdio.h>
#include <string.h>

#include "dated_name.h"
#include "usage.h"

namespace {

// Any line that gives a dated name fits its room, since the argument is then part of a full path
// too, and goes out in one write, so that the lines of runs started together do not interleave.
struct LineWriter {
  char text[DIAGNOSTIC_ROOM];
  std::size_t used;
};

void flush(LineWriter* line) {
  write_diagnostic(line->text, line->used);
  line->used = 0;
}

// Only an argument too long for any full path can fill the line; it goes out in pieces.
void put_byte(LineWriter* line, char byte) {
  if (line->used == sizeof line->text) flush(line);
  line->text[line->used++] = byte;
}

void put_text(LineWriter* line, const char* text) {
  for (; *text != '\0'; ++text) put_byte(line, *text);
}

// A name goes out quoted, with control bytes shown as "?" so that no name can break the line
// or send commands to the terminal.
void put_name(LineWriter* line, const char* name) {
  put_byte(line, '\'');
  for (; *name != '\0'; ++name) {
    unsigned char byte = static_cast<unsigned char>(*name);
    put_byte(line, byte < 0x20 || byte == 0x7F ? '?' : *name);
  }
  put_byte(line, '\'');
}

// dated_name is null when the dated name could not be composed.
void report_failure(const char* file_arg, const char* dated_name, int error) {
  char reason[REASON_ROOM];
  describe_error(error, reason, sizeof reason);
  LineWriter line{};
  put_text(&line, "vemblo: cannot rename ");
  put_name(&line, file_arg);
  if (dated_name != nullptr) {
    put_text(&line, " to ");
    put_name(&line, dated_name);
  }
  put_text(&line, ": ");
  put_text(&line, reason);
  put_byte(&line, '\n');
  flush(&line);
}

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

int run_command(int argc, char** argv) {
  if (argc < 2) return STATUS_NO_ARGUMENT;
  if (is_help_request(argv[1])) show_usage();
  const char* file_arg = argv[1];
  const char* text = argc > 2 ? argv[2] : "";

  char dated_name[MAX_FULL_PATH];
  int error = compose_dated_name(file_arg, text, dated_name, sizeof dated_name);
  if (error != 0) {
    report_failure(file_arg, nullptr, error);
    return STATUS_NOT_RENAMED;
  }
  error = replace_and_rename(file_arg, dated_name);
  if (error != 0) {
    report_failure(file_arg, dated_name, error);
    return STATUS_NOT_RENAMED;
  }
  return STATUS_DONE;
}
