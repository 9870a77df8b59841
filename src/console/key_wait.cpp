// The keystroke wait, alike on every platform: the console files supply the key events.
#include "console/key_wait.h"

#include "console/console.h"

namespace {

int pending_byte = -1;  // the second byte of the last two-byte code, until it is asked for

}  // namespace

int wait_for_key() {
  if (pending_byte >= 0) {
    int byte = pending_byte;
    pending_byte = -1;
    return byte;
  }
  if (!begin_key_input()) return -1;
  int result = -1;
  KeyEvent event;
  KeyCode code;
  while (read_key_event(&event)) {
    if (!key_to_code(event, &code)) continue;  // a release, a modifier alone, another event
    result = code.first;
    if (code.has_second) pending_byte = code.second;
    break;
  }
  end_key_input();
  return result;
}
