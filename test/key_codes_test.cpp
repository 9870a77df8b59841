// The key tables, checked whole against the rules they follow: for every scan code and every
// modifier state, which keys give a code, and what it is.
#include "console/key_codes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

using Pair = std::pair<int, int>;
const Pair NONE = {-1, -1};

// The rules of the console's classic tables, for a key that produces no character. m is the
// column that the modifiers choose: 3 Alt over 2 Ctrl over 1 Shift over 0 none.
Pair expected(int s, int m, bool enhanced) {
  const int keypad[] = {71, 72, 73, 75, 77, 79, 80, 81, 82, 83};
  const int keypad_ctrl[] = {119, 141, 132, 115, 116, 117, 145, 118, 146, 147};
  const int* at = std::find(keypad, keypad + 10, s);
  bool on_keypad = at != keypad + 10;
  int ctrl = on_keypad ? keypad_ctrl[at - keypad] : 0;
  if (enhanced) {
    const Pair enter[] = {{13, 0}, {13, 0}, {10, 0}, {0, 166}};
    const Pair slash[] = {{47, 0}, {63, 0}, {0, 149}, {0, 164}};
    if (s == 28 || s == 53) return s == 28 ? enter[m] : slash[m];
    if (!on_keypad) return NONE;
    return m == 3 ? Pair{0, s + 80} : m == 2 ? Pair{0xE0, s == 73 ? 134 : ctrl} : Pair{0xE0, s};
  }
  const int function_offset[] = {0, 25, 35, 45};
  if (s >= 59 && s <= 68) return {0, s + function_offset[m]};
  if (s == 87 || s == 88) return {0xE0, s + 46 + 2 * m};
  if (on_keypad) return m == 0 ? Pair{0, s} : m == 2 ? Pair{0, ctrl} : NONE;
  if (s == 15 && m != 0) return {0, m == 2 ? 148 : 15};
  if (s == 3 && m == 2) return {0, 3};
  if (m == 3 && s >= 2 && s <= 13) return {0, s + 118};
  bool alt_key = s == 1 || (s >= 14 && s <= 53 && s != 29 && s != 42 && s != 43);
  return m == 3 && alt_key ? Pair{0, s} : NONE;
}

TEST(KeyCodes, FollowTheRules) {
  for (unsigned scan = 0; scan < 256; ++scan) {
    for (unsigned modifiers = 0; modifiers < 8; ++modifiers) {
      for (bool enhanced : {false, true}) {
        KeyCode code;
        Pair got = key_to_code(KeyEvent{true, scan, 0, enhanced, modifiers}, &code)
                       ? Pair{code.first, code.has_second ? code.second : -1}
                       : NONE;
        int m = (modifiers & KEY_ALT)     ? 3
                : (modifiers & KEY_CTRL)  ? 2
                : (modifiers & KEY_SHIFT) ? 1
                                          : 0;
        EXPECT_EQ(expected(static_cast<int>(scan), m, enhanced), got)
            << "scan " << scan << " modifiers " << modifiers << " enhanced " << enhanced;
      }
    }
  }
  // A character is its own code, whatever the key; a release gives none.
  KeyCode code;
  EXPECT_TRUE(key_to_code(KeyEvent{true, 46, 3, false, KEY_CTRL}, &code) && code.first == 3);
  EXPECT_FALSE(key_to_code(KeyEvent{false, 30, 'a', false, 0}, &code));
}

}  // namespace
