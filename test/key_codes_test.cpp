// The key tables, checked whole against the rules they follow: for every scan code and every
// modifier state, which keys give a code, and what it is.
#include "console/key_codes.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using Pair = std::pair<int, int>;
const Pair NONE = {-1, -1};

constexpr unsigned S = KEY_SHIFT, C = KEY_CTRL, A = KEY_ALT;

// The column a modifier state reads: Alt over Ctrl, Ctrl over Shift.
unsigned column(unsigned modifiers) {
  return (modifiers & A) ? A : (modifiers & C) ? C : (modifiers & S) ? S : 0;
}

// The rules of the console's classic tables, for a key that produces no character.
Pair expected(unsigned scan, unsigned modifiers, bool enhanced) {
  unsigned m = column(modifiers);
  const unsigned keypad[] = {71, 72, 73, 75, 77, 79, 80, 81, 82, 83};
  const int keypad_ctrl[] = {119, 141, 132, 115, 116, 117, 145, 118, 146, 147};
  int keypad_at = -1;
  for (int i = 0; i < 10; ++i) keypad_at = keypad[i] == scan ? i : keypad_at;
  if (enhanced) {
    if (scan == 28) return m == A ? Pair{0, 166} : m == C ? Pair{10, 0} : Pair{13, 0};
    if (scan == 53) return m == A ? Pair{0, 164} : m == C ? Pair{0, 149} : Pair{m ? 63 : 47, 0};
    if (keypad_at < 0) return NONE;
    if (m == A) return {0, static_cast<int>(scan) + 80};
    if (m == C) return {0xE0, scan == 73 ? 134 : keypad_ctrl[keypad_at]};
    return {0xE0, static_cast<int>(scan)};
  }
  int s = static_cast<int>(scan);
  if (scan >= 59 && scan <= 68) return {0, s + (m == A ? 45 : m == C ? 35 : m == S ? 25 : 0)};
  if (scan == 87 || scan == 88) return {0xE0, s + 46 + (m == A ? 6 : m == C ? 4 : m == S ? 2 : 0)};
  if (keypad_at >= 0) return m == 0 ? Pair{0, s} : m == C ? Pair{0, keypad_ctrl[keypad_at]} : NONE;
  if (scan == 15 && m != 0) return {0, m == C ? 148 : 15};
  if (scan == 3 && m == C) return {0, 3};
  if (m != A) return NONE;
  if (scan >= 2 && scan <= 13) return {0, s + 118};
  if (scan == 1 || scan == 14 ||
      (scan >= 16 && scan <= 53 && scan != 29 && scan != 42 && scan != 43)) {
    return {0, s};
  }
  return NONE;
}

TEST(KeyCodes, FollowTheRules) {
  for (unsigned scan = 0; scan < 256; ++scan) {
    for (unsigned modifiers = 0; modifiers < 8; ++modifiers) {
      for (bool enhanced : {false, true}) {
        KeyCode code;
        Pair got = key_to_code(KeyEvent{true, scan, 0, enhanced, modifiers}, &code)
                       ? Pair{code.first, code.has_second ? code.second : -1}
                       : NONE;
        EXPECT_EQ(expected(scan, modifiers, enhanced), got)
            << "scan " << scan << " modifiers " << modifiers << " enhanced " << enhanced;
      }
    }
  }
}

// A character is its own code, whatever the key; a release gives none.
TEST(KeyCodes, Characters) {
  KeyCode code;
  ASSERT_TRUE(key_to_code(KeyEvent{true, 46, 3, false, C}, &code));
  EXPECT_EQ(3, code.first);
  EXPECT_FALSE(code.has_second);
  EXPECT_FALSE(key_to_code(KeyEvent{false, 30, 'a', false, 0}, &code));
}

}  // namespace
