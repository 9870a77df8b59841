// The command driver: composes the dated name, renames the file to it, and reports a failure on
// standard error in the form "vemblo: cannot rename 'a' to 'b': reason".
#include "command.h"

#include <stdio.h>
#include <string.h>

#include "dated_name.h"
#include "usage.h"

namespace {

// Collects a diagnostic so that it reaches the unbuffered standard error in as few writes as
// possible, and so that lines of runs started together do not interleave.
struct LineWriter {
  char text[1024];
  std::size_t used;
};

void flush(LineWriter* line) {
  (void)fwrite(line->text, 1, line->used, stderr);  // nowhere is left to report a failure
  line->used = 0;
}

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
  char reason[256];
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

}  // namespace

int replace_and_rename(const char* file_arg, const char* dated_name) {
  EntryKind target = get_entry_kind(dated_name);
  // POSIX would let a directory replace an empty one; a directory stands on every system.
  if (target == EntryKind::directory) return SYS_ENTRY_EXISTS;
  // No system renames a directory over a file. The file goes, as any file under the dated name
  // does, but only once the directory that replaces it is known to be there.
  if (target == EntryKind::file && get_entry_kind(file_arg) == EntryKind::directory) {
    int error = remove_file(dated_name);
    if (error != 0) return error;
  }
  return rename_replacing(file_arg, dated_name);
}

int run_command(int argc, char** argv) {
  if (argc < 2) return EXIT_NO_ARGUMENT;
  if (is_help_request(argv[1])) show_usage();
  const char* file_arg = argv[1];
  const char* text = argc > 2 ? argv[2] : "";

  char dated_name[MAX_FULL_PATH];
  int error = compose_dated_name(file_arg, text, dated_name, sizeof dated_name);
  if (error != 0) {
    report_failure(file_arg, nullptr, error);
    return EXIT_FAILED;
  }
  error = replace_and_rename(file_arg, dated_name);
  if (error != 0) {
    report_failure(file_arg, dated_name, error);
    return EXIT_FAILED;
  }
  return EXIT_RENAMED;
}
