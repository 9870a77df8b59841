// The key tables, by what a user can feel: which presses end the wait.
#include "console/key_codes.h"

#include <gtest/gtest.h>

namespace {

// A modifier alone and a release do not end the wait; a function key, Alt with Escape or a
// letter, Ctrl+2 and Shift+Tab do. Alt is read before Ctrl when both are held. The scan codes:
// 42 Shift, 29 Ctrl, 56 Alt, 59 F1, 1 Escape, 3 the key 2, 15 Tab, 16 Q.
TEST(KeyCodes, WhichKeysEndTheWait) {
  const struct {
    unsigned scan_code, modifiers;
    bool ends;
  } cases[] = {
      {42, 0, false},       {29, KEY_CTRL, false}, {56, KEY_ALT, false},
      {42, KEY_ALT, false}, {59, 0, true},         {1, KEY_ALT, true},
      {3, KEY_CTRL, true},  {15, KEY_SHIFT, true}, {16, KEY_CTRL | KEY_ALT, true},
  };
  KeyCode code;
  for (const auto& c : cases) {
    EXPECT_EQ(c.ends, key_to_code(KeyEvent{true, c.scan_code, 0, false, c.modifiers}, &code))
        << "scan code " << c.scan_code << ", modifiers " << c.modifiers;
    EXPECT_FALSE(key_to_code(KeyEvent{false, c.scan_code, 'a', false, c.modifiers}, &code));
  }
}

}  // namespace
