// The key tables, checked whole: for every scan code and every modifier state, whether the key
// gives a code, and so ends the wait.
#include "console/key_codes.h"

#include <gtest/gtest.h>

namespace {

// m is the column the modifiers choose: 3 Alt over 2 Ctrl over 1 Shift over 0 none.
bool counts(int s, int m, bool enhanced) {
  bool keypad = s >= 71 && s <= 83 && s != 74 && s != 76 && s != 78;
  if (enhanced) return keypad || s == 28 || s == 53;
  if ((s >= 59 && s <= 68) || s == 87 || s == 88) return true;
  if (keypad) return m == 0 || m == 2;
  if ((s == 15 && m > 0) || (s == 3 && m == 2)) return true;
  return m == 3 && s >= 1 && s <= 53 && s != 29 && s != 42 && s != 43;
}

TEST(KeyCodes, WhichKeysEndTheWait) {
  KeyCode code;
  for (unsigned scan = 0; scan < 256; ++scan) {
    for (unsigned mods = 0; mods < 8; ++mods) {
      int m = (mods & KEY_ALT) ? 3 : (mods & KEY_CTRL) ? 2 : (mods & KEY_SHIFT) ? 1 : 0;
      for (bool enhanced : {false, true}) {
        EXPECT_EQ(counts(static_cast<int>(scan), m, enhanced),
                  key_to_code(KeyEvent{true, scan, 0, enhanced, mods}, &code))
            << "scan " << scan << " modifiers " << mods << " enhanced " << enhanced;
        EXPECT_FALSE(key_to_code(KeyEvent{false, scan, 'a', enhanced, mods}, &code));
      }
    }
  }
}

}  // namespace
