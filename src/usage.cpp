// The usage screen: twelve pieces written as they stand, then the wait for a key.
#include "usage.h"

#include <stdio.h>
#include <string.h>

#include "console/key_wait.h"

namespace {

// Each piece keeps the blank before its line end; the dashes stand in the nineteenth column.
constexpr const char* USAGE_PIECES[] = {
    "\n",
    "Vemblo, version 1.1 (Build 1) \n",
    "Stamps a file's name with the day's date. \n",
    "Created 11.02.00 \n",
    "\n",
    "Vemblo [file name] [text] \n",
    "        file name - name of the file, being renamed \n",
    "        text      - editional text in file name \n",
    "\n",
    "Vemblo  /?        - help \n",
    "\n",
    "press Enter ...",
};

}  // namespace

bool is_help_request(const char* file_arg) { return strcmp(file_arg, "/?") == 0; }

void show_usage() {
  // A screen that cannot be written is no reason not to wait: failures are ignored. The screen
  // is kept as the pieces it is made of, so that each line can be read beside what it shows,
  // blank before its end included. fputs writes each as it stands, no piece being a format, and
  // the stream gathers them: on a terminal each line goes out as it ends, elsewhere at the flush.
  for (const char* piece : USAGE_PIECES) (void)fputs(piece, stdout);
  // The whole screen and the prompt stand before the wait begins, even on a buffered stream.
  (void)fflush(stdout);
  wait_for_key();
}
