// Key codes and the terminal decoder, as tables of key presses and the codes they give.
#include <gtest/gtest.h>

#include <string>

#include "console/key_codes.h"
#include "console/terminal_keys.h"

namespace {

constexpr int NONE = -1;  // no code, or no second byte

struct Code {
  int first;
  int second;
};

Code code_of(const KeyEvent& event) {
  KeyCode code;
  if (!key_to_code(event, &code)) return {NONE, NONE};
  return {code.first, code.has_second ? code.second : NONE};
}

TEST(KeyToCode, BothTablesAndEachModifier) {
  const unsigned S = KEY_SHIFT, C = KEY_CTRL, A = KEY_ALT;
  struct Case {
    unsigned scan;
    unsigned char character;
    bool enhanced;
    unsigned modifiers;
    Code code;
  } cases[] = {
      {30, 'a', false, 0, {'a', NONE}},
      {28, 13, false, 0, {13, NONE}},
      {46, 3, false, C, {3, NONE}},
      {1, 27, false, 0, {27, NONE}},
      {1, 0, false, A, {0, 1}},
      {3, 0, false, C, {0, 3}},
      {13, 0, false, A, {0, 131}},
      {15, 0, false, S, {0, 15}},
      {15, 0, false, C, {0, 148}},
      {30, 0, false, A, {0, 30}},
      {59, 0, false, 0, {0, 59}},
      {59, 0, false, S, {0, 84}},
      {59, 0, false, C, {0, 94}},
      {59, 0, false, A, {0, 104}},
      {68, 0, false, 0, {0, 68}},
      {59, 0, false, A | C | S, {0, 104}},
      {59, 0, false, C | S, {0, 94}},
      {87, 0, false, 0, {0xE0, 133}},
      {88, 0, false, A, {0xE0, 140}},
      {72, 0, false, 0, {0, 72}},
      {73, 0, false, C, {0, 132}},
      {72, 0, true, 0, {0xE0, 72}},
      {72, 0, true, S, {0xE0, 72}},
      {72, 0, true, C, {0xE0, 141}},
      {72, 0, true, A, {0, 152}},
      {73, 0, true, C, {0xE0, 134}},
      {83, 0, true, 0, {0xE0, 83}},
      {28, 0, true, C, {10, 0}},
      {53, 0, true, S, {63, 0}},
      // Keys with no code: modifiers and locks alone, pairs that do not count, unknown keys.
      {42, 0, false, S, {NONE, NONE}},
      {29, 0, false, C, {NONE, NONE}},
      {56, 0, false, A, {NONE, NONE}},
      {58, 0, false, 0, {NONE, NONE}},
      {72, 0, false, S, {NONE, NONE}},
      {30, 0, false, C, {NONE, NONE}},
      {89, 0, false, 0, {NONE, NONE}},
      {500, 0, false, 0, {NONE, NONE}},
      {59, 0, true, 0, {NONE, NONE}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "scan " << c.scan << " character " << int{c.character}
                                    << " enhanced " << c.enhanced << " modifiers " << c.modifiers);
    Code code = code_of(KeyEvent{true, c.scan, c.character, c.enhanced, c.modifiers});
    EXPECT_EQ(c.code.first, code.first);
    EXPECT_EQ(c.code.second, code.second);
  }
  EXPECT_EQ(NONE, code_of(KeyEvent{false, 30, 'a', false, 0}).first) << "a key release";
}

TEST(DecodeTerminalKey, Sequences) {
  struct Case {
    std::string bytes;
    bool at_end;
    size_t length;  // 0: more bytes are needed
    Code code;
  } cases[] = {
      {"a", false, 1, {'a', NONE}},
      {"ab", false, 1, {'a', NONE}},
      {"\r", false, 1, {13, NONE}},
      {"\x03", false, 1, {3, NONE}},
      {"\x1b", false, 0, {}},
      {"\x1b", true, 1, {27, NONE}},
      {"\x1b[A", false, 3, {0xE0, 72}},
      {"\x1bOA", false, 3, {0xE0, 72}},
      {"\x1b[Ab", false, 3, {0xE0, 72}},
      {"\x1b[1;2B", false, 6, {0xE0, 80}},
      {"\x1b[1;5C", false, 6, {0xE0, 116}},
      {"\x1b[1;3D", false, 6, {0, 155}},
      {"\x1b[1;8H", false, 6, {0, 151}},
      {"\x1b[F", false, 3, {0xE0, 79}},
      {"\x1b[1~", false, 4, {0xE0, 71}},
      {"\x1b[4~", false, 4, {0xE0, 79}},
      {"\x1b[2~", false, 4, {0xE0, 82}},
      {"\x1b[3;5~", false, 6, {0xE0, 147}},
      {"\x1b[5~", false, 4, {0xE0, 73}},
      {"\x1b[6;3~", false, 6, {0, 161}},
      {"\x1bOP", false, 3, {0, 59}},
      {"\x1b[1;2S", false, 6, {0, 87}},
      {"\x1b[15~", false, 5, {0, 63}},
      {"\x1b[17;5~", false, 7, {0, 99}},
      {"\x1b[21~", false, 5, {0, 68}},
      {"\x1b[23~", false, 5, {0xE0, 133}},
      {"\x1b[24;3~", false, 7, {0xE0, 140}},
      {"\x1b[[A", false, 4, {0, 59}},
      {"\x1b[[E", false, 4, {0, 63}},
      {"\x1b[Z", false, 3, {0, 15}},
      // ESC before a key is Alt with it.
      {"\x1bx", false, 2, {'x', NONE}},
      {"\x1b\x1b[A", false, 4, {0, 152}},
      {"\x1b\x1b", false, 0, {}},
      {"\x1b\x1b", true, 2, {27, NONE}},
      {"\x1b\x1bx", false, 2, {27, NONE}},
      {"\x1b[", false, 0, {}},
      {"\x1b[", true, 2, {'[', NONE}},
      {"\x1bO", true, 2, {'O', NONE}},
      // Sequences that are cut off or unknown are one key with no code.
      {"\x1b[1;5", false, 0, {}},
      {"\x1b[1;5", true, 5, {NONE, NONE}},
      {"\x1b[99~", false, 5, {NONE, NONE}},
      {"\x1b[1;5Y", false, 6, {NONE, NONE}},
      {"\x1b[" + std::string(MAX_KEY_SEQUENCE, '1'), false, MAX_KEY_SEQUENCE + 2, {NONE, NONE}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes) + (c.at_end ? " at end" : ""));
    KeyEvent event;
    size_t length = decode_terminal_key(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                        c.bytes.size(), c.at_end, &event);
    EXPECT_EQ(c.length, length);
    if (length == 0) continue;
    Code code = code_of(event);
    EXPECT_EQ(c.code.first, code.first);
    EXPECT_EQ(c.code.second, code.second);
  }
}

}  // namespace
