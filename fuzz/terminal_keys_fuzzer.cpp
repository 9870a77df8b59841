// Fuzzes the terminal key decoder: any byte stream decodes key by key without reading past its
// end, each key takes at least one byte, and every code is one the key tables can give.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <set>
#include <utility>

#include "console/key_codes.h"
#include "console/terminal_keys.h"

namespace {

// Every two-byte code a key press can give, whatever the console reports.
std::set<std::pair<int, int>> all_table_codes() {
  std::set<std::pair<int, int>> codes;
  for (unsigned scan = 0; scan < 256; ++scan) {
    for (unsigned modifiers = 0; modifiers < 8; ++modifiers) {
      for (bool enhanced : {false, true}) {
        KeyCode code;
        if (key_to_code(KeyEvent{true, scan, 0, enhanced, modifiers}, &code)) {
          codes.insert({code.first, code.second});
        }
      }
    }
  }
  return codes;
}

void check(bool condition) {
  if (!condition) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::set<std::pair<int, int>> TABLE_CODES = all_table_codes();
  size_t at = 0;
  while (at < size) {
    KeyEvent event;
    size_t length = decode_terminal_key(data + at, size - at, false, &event);
    if (length == 0) length = decode_terminal_key(data + at, size - at, true, &event);
    check(length >= 1 && length <= size - at);
    KeyCode code;
    if (key_to_code(event, &code)) {
      if (event.character != 0) {
        check(code.first == event.character && !code.has_second);
      } else {
        check(code.has_second && TABLE_CODES.count({code.first, code.second}) == 1);
      }
    }
    at += length;
  }
  return 0;
}
