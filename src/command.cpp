// The command driver: composes the dated name, has the file renamed to it, and reports a failure
// on standard error in the form "vemblo: cannot rename 'a' to 'b': reason".
#include "command.h"

#include <stdio.h>
#include <string.h>

#include "dated_name.h"
#include "replace.h"
#include "usage.h"

namespace {

// A line goes out in one write when it fits its room, which holds two full paths and a reason. On
// a pipe, the system keeps a write of up to PIPE_BUF bytes whole, so that such lines from runs
// started together do not interleave.
struct LineWriter {
  char text[DIAGNOSTIC_ROOM];
  std::size_t used;
};

void flush(LineWriter* line) {
  write_diagnostic(line->text, line->used);
  line->used = 0;
}

// A line longer than its room goes out in pieces.
void put_byte(LineWriter* line, char byte) {
  if (line->used == sizeof line->text) flush(line);
  line->text[line->used++] = byte;
}

void put_text(LineWriter* line, const char* text) {
  for (; *text != '\0'; ++text) put_byte(line, *text);
}

// A name goes out quoted, with control characters shown as "?" so that no name can break the
// line or send commands to the terminal: bytes below 0x20 and 0x7F, and U+0080 to U+009F as
// UTF-8 writes them, 0xC2 and a byte from 0x80 to 0x9F, unless 0xC2 starts a two-byte character
// in the character set of names.
void put_name(LineWriter* line, const char* name) {
  put_byte(line, '\'');
  for (; *name != '\0'; ++name) {
    unsigned char byte = static_cast<unsigned char>(*name);
    unsigned char next = static_cast<unsigned char>(name[1]);
    bool c1 = byte == 0xC2 && next >= 0x80 && next <= 0x9F && !name_lead_bytes().lead[byte];
    if (c1) ++name;
    put_byte(line, byte < 0x20 || byte == 0x7F || c1 ? '?' : *name);
  }
  put_byte(line, '\'');
}

// dated_name is null when the dated name could not be composed, and left when nothing was left.
void report_failure(const char* file_arg, const char* dated_name, int error,
                    const LeftAside* left = nullptr) {
  char reason[REASON_ROOM];
  if (error == LINKS_TO_DATED_NAME) {
    (void)snprintf(reason, sizeof reason, "it is a symbolic link to the new name");
  } else {
    describe_error(error, reason, sizeof reason);
  }
  LineWriter line{};
  put_text(&line, "vemblo: cannot rename ");
  put_name(&line, file_arg);
  if (dated_name != nullptr) {
    put_text(&line, " to ");
    put_name(&line, dated_name);
  }
  put_text(&line, ": ");
  put_text(&line, reason);
  if (left != nullptr && left->now[0] != '\0') {
    put_text(&line, "; ");
    put_name(&line, left->name);
    put_text(&line, " is now ");
    put_name(&line, left->now);
  }
  put_byte(&line, '\n');
  flush(&line);
}

}  // namespace

int run_command(int argc, char** argv) {
  if (argc < 2) return STATUS_NO_ARGUMENT;
  // The help needs entry 1 alone, and shows whatever the text; a rename uses the text too.
  int error = prepare_run(argc > 2 ? 2 : 1);
  if (is_help_request(argv[1])) {
    show_usage();
    return STATUS_DONE;
  }
  const char* file_arg = argv[1];
  const char* text = argc > 2 ? argv[2] : "";

  char dated_name[MAX_FULL_PATH];
  if (error == 0) error = compose_dated_name(file_arg, text, dated_name, sizeof dated_name);
  if (error != 0) {
    report_failure(file_arg, nullptr, error);
    return STATUS_NOT_RENAMED;
  }
  LeftAside left;
  error = replace_and_rename(file_arg, dated_name, &left);
  if (error != 0) {
    report_failure(file_arg, dated_name, error, &left);
    return STATUS_NOT_RENAMED;
  }
  return STATUS_DONE;
}
