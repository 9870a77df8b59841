// Fuzzes the terminal key decoder: any byte stream decodes key by key, each key taking at least
// one byte and never more than it was given.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "console/terminal_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (size_t at = 0; at < size;) {
    KeyEvent event;
    size_t length = decode_terminal_key(data + at, size - at, false, &event);
    if (length == 0) length = decode_terminal_key(data + at, size - at, true, &event);
    if (length == 0 || length > size - at) abort();
    at += length;
  }
  return 0;
}
