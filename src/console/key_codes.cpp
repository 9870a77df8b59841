// The tables of two-byte key codes. Each entry gives one pair per modifier state: none, Shift,
// Ctrl, Alt. Only pairs that begin with 0 or 0xE0 and have a second byte count.
#include "console/key_codes.h"

namespace {

struct KeyPairs {
  unsigned scan_code;
  unsigned char pairs[4][2];
};

// The dedicated cursor and editing keys, and the keypad's Enter and slash.
constexpr KeyPairs ENHANCED_KEYS[] = {
    {28, {{13, 0}, {13, 0}, {10, 0}, {0, 166}}},            // keypad Enter
    {53, {{47, 0}, {63, 0}, {0, 149}, {0, 164}}},           // keypad slash
    {71, {{0xE0, 71}, {0xE0, 71}, {0xE0, 119}, {0, 151}}},  // Home
    {72, {{0xE0, 72}, {0xE0, 72}, {0xE0, 141}, {0, 152}}},  // Up
    {73, {{0xE0, 73}, {0xE0, 73}, {0xE0, 134}, {0, 153}}},  // Page Up
    {75, {{0xE0, 75}, {0xE0, 75}, {0xE0, 115}, {0, 155}}},  // Left
    {77, {{0xE0, 77}, {0xE0, 77}, {0xE0, 116}, {0, 157}}},  // Right
    {79, {{0xE0, 79}, {0xE0, 79}, {0xE0, 117}, {0, 159}}},  // End
    {80, {{0xE0, 80}, {0xE0, 80}, {0xE0, 145}, {0, 160}}},  // Down
    {81, {{0xE0, 81}, {0xE0, 81}, {0xE0, 118}, {0, 161}}},  // Page Down
    {82, {{0xE0, 82}, {0xE0, 82}, {0xE0, 146}, {0, 162}}},  // Insert
    {83, {{0xE0, 83}, {0xE0, 83}, {0xE0, 147}, {0, 163}}},  // Delete
};

// Every other key, indexed by scan code (named as on a US layout). Pairs that do not count are
// left as zeros.
constexpr unsigned char ORDINARY_KEYS[][4][2] = {
    {},                                                    // 0
    {{0, 0}, {0, 0}, {0, 0}, {0, 1}},                      // 1 Escape
    {{0, 0}, {0, 0}, {0, 0}, {0, 120}},                    // 2 1
    {{0, 0}, {0, 0}, {0, 3}, {0, 121}},                    // 3 2
    {{0, 0}, {0, 0}, {0, 0}, {0, 122}},                    // 4 3
    {{0, 0}, {0, 0}, {0, 0}, {0, 123}},                    // 5 4
    {{0, 0}, {0, 0}, {0, 0}, {0, 124}},                    // 6 5
    {{0, 0}, {0, 0}, {0, 0}, {0, 125}},                    // 7 6
    {{0, 0}, {0, 0}, {0, 0}, {0, 126}},                    // 8 7
    {{0, 0}, {0, 0}, {0, 0}, {0, 127}},                    // 9 8
    {{0, 0}, {0, 0}, {0, 0}, {0, 128}},                    // 10 9
    {{0, 0}, {0, 0}, {0, 0}, {0, 129}},                    // 11 0
    {{0, 0}, {0, 0}, {0, 0}, {0, 130}},                    // 12 -
    {{0, 0}, {0, 0}, {0, 0}, {0, 131}},                    // 13 =
    {{0, 0}, {0, 0}, {0, 0}, {0, 14}},                     // 14 Backspace
    {{0, 0}, {0, 15}, {0, 148}, {0, 15}},                  // 15 Tab
    {{0, 0}, {0, 0}, {0, 0}, {0, 16}},                     // 16 Q
    {{0, 0}, {0, 0}, {0, 0}, {0, 17}},                     // 17 W
    {{0, 0}, {0, 0}, {0, 0}, {0, 18}},                     // 18 E
    {{0, 0}, {0, 0}, {0, 0}, {0, 19}},                     // 19 R
    {{0, 0}, {0, 0}, {0, 0}, {0, 20}},                     // 20 T
    {{0, 0}, {0, 0}, {0, 0}, {0, 21}},                     // 21 Y
    {{0, 0}, {0, 0}, {0, 0}, {0, 22}},                     // 22 U
    {{0, 0}, {0, 0}, {0, 0}, {0, 23}},                     // 23 I
    {{0, 0}, {0, 0}, {0, 0}, {0, 24}},                     // 24 O
    {{0, 0}, {0, 0}, {0, 0}, {0, 25}},                     // 25 P
    {{0, 0}, {0, 0}, {0, 0}, {0, 26}},                     // 26 [
    {{0, 0}, {0, 0}, {0, 0}, {0, 27}},                     // 27 ]
    {{0, 0}, {0, 0}, {0, 0}, {0, 28}},                     // 28 Enter
    {},                                                    // 29 Ctrl
    {{0, 0}, {0, 0}, {0, 0}, {0, 30}},                     // 30 A
    {{0, 0}, {0, 0}, {0, 0}, {0, 31}},                     // 31 S
    {{0, 0}, {0, 0}, {0, 0}, {0, 32}},                     // 32 D
    {{0, 0}, {0, 0}, {0, 0}, {0, 33}},                     // 33 F
    {{0, 0}, {0, 0}, {0, 0}, {0, 34}},                     // 34 G
    {{0, 0}, {0, 0}, {0, 0}, {0, 35}},                     // 35 H
    {{0, 0}, {0, 0}, {0, 0}, {0, 36}},                     // 36 J
    {{0, 0}, {0, 0}, {0, 0}, {0, 37}},                     // 37 K
    {{0, 0}, {0, 0}, {0, 0}, {0, 38}},                     // 38 L
    {{0, 0}, {0, 0}, {0, 0}, {0, 39}},                     // 39 ;
    {{0, 0}, {0, 0}, {0, 0}, {0, 40}},                     // 40 '
    {{0, 0}, {0, 0}, {0, 0}, {0, 41}},                     // 41 `
    {},                                                    // 42 left Shift
    {},                                                    // 43 backslash
    {{0, 0}, {0, 0}, {0, 0}, {0, 44}},                     // 44 Z
    {{0, 0}, {0, 0}, {0, 0}, {0, 45}},                     // 45 X
    {{0, 0}, {0, 0}, {0, 0}, {0, 46}},                     // 46 C
    {{0, 0}, {0, 0}, {0, 0}, {0, 47}},                     // 47 V
    {{0, 0}, {0, 0}, {0, 0}, {0, 48}},                     // 48 B
    {{0, 0}, {0, 0}, {0, 0}, {0, 49}},                     // 49 N
    {{0, 0}, {0, 0}, {0, 0}, {0, 50}},                     // 50 M
    {{0, 0}, {0, 0}, {0, 0}, {0, 51}},                     // 51 ,
    {{0, 0}, {0, 0}, {0, 0}, {0, 52}},                     // 52 .
    {{0, 0}, {0, 0}, {0, 0}, {0, 53}},                     // 53 /
    {},                                                    // 54 right Shift
    {},                                                    // 55 keypad *
    {},                                                    // 56 Alt
    {},                                                    // 57 Space
    {},                                                    // 58 Caps Lock
    {{0, 59}, {0, 84}, {0, 94}, {0, 104}},                 // 59 F1
    {{0, 60}, {0, 85}, {0, 95}, {0, 105}},                 // 60 F2
    {{0, 61}, {0, 86}, {0, 96}, {0, 106}},                 // 61 F3
    {{0, 62}, {0, 87}, {0, 97}, {0, 107}},                 // 62 F4
    {{0, 63}, {0, 88}, {0, 98}, {0, 108}},                 // 63 F5
    {{0, 64}, {0, 89}, {0, 99}, {0, 109}},                 // 64 F6
    {{0, 65}, {0, 90}, {0, 100}, {0, 110}},                // 65 F7
    {{0, 66}, {0, 91}, {0, 101}, {0, 111}},                // 66 F8
    {{0, 67}, {0, 92}, {0, 102}, {0, 112}},                // 67 F9
    {{0, 68}, {0, 93}, {0, 103}, {0, 113}},                // 68 F10
    {},                                                    // 69 Num Lock
    {},                                                    // 70 Scroll Lock
    {{0, 71}, {0, 0}, {0, 119}, {0, 0}},                   // 71 keypad Home
    {{0, 72}, {0, 0}, {0, 141}, {0, 0}},                   // 72 keypad Up
    {{0, 73}, {0, 0}, {0, 132}, {0, 0}},                   // 73 keypad Page Up
    {},                                                    // 74 keypad -
    {{0, 75}, {0, 0}, {0, 115}, {0, 0}},                   // 75 keypad Left
    {},                                                    // 76 keypad 5
    {{0, 77}, {0, 0}, {0, 116}, {0, 0}},                   // 77 keypad Right
    {},                                                    // 78 keypad +
    {{0, 79}, {0, 0}, {0, 117}, {0, 0}},                   // 79 keypad End
    {{0, 80}, {0, 0}, {0, 145}, {0, 0}},                   // 80 keypad Down
    {{0, 81}, {0, 0}, {0, 118}, {0, 0}},                   // 81 keypad Page Down
    {{0, 82}, {0, 0}, {0, 146}, {0, 0}},                   // 82 keypad Insert
    {{0, 83}, {0, 0}, {0, 147}, {0, 0}},                   // 83 keypad Delete
    {},                                                    // 84 SysRq
    {},                                                    // 85
    {},                                                    // 86 102nd key
    {{0xE0, 133}, {0xE0, 135}, {0xE0, 137}, {0xE0, 139}},  // 87 F11
    {{0xE0, 134}, {0xE0, 136}, {0xE0, 138}, {0xE0, 140}},  // 88 F12
};
constexpr unsigned ORDINARY_KEY_COUNT = sizeof ORDINARY_KEYS / sizeof ORDINARY_KEYS[0];
static_assert(ORDINARY_KEY_COUNT == 89, "scan codes 0 to 88");

// Alt wins over Ctrl, Ctrl over Shift.
int modifier_column(unsigned modifiers) {
  if (modifiers & KEY_ALT) return 3;
  if (modifiers & KEY_CTRL) return 2;
  if (modifiers & KEY_SHIFT) return 1;
  return 0;
}

const unsigned char* find_pair(const KeyEvent& event) {
  int column = modifier_column(event.modifiers);
  if (event.enhanced) {
    for (const KeyPairs& key : ENHANCED_KEYS) {
      if (key.scan_code == event.scan_code) return key.pairs[column];
    }
    return nullptr;
  }
  if (event.scan_code >= ORDINARY_KEY_COUNT) return nullptr;
  const unsigned char* pair = ORDINARY_KEYS[event.scan_code][column];
  bool counts = (pair[0] == 0 || pair[0] == 0xE0) && pair[1] != 0;
  return counts ? pair : nullptr;
}

}  // namespace

bool key_to_code(const KeyEvent& event, KeyCode* code) {
  if (!event.key_down) return false;
  if (event.character != 0) {
    *code = KeyCode{event.character, 0, false};
    return true;
  }
  const unsigned char* pair = find_pair(event);
  if (pair == nullptr) return false;
  *code = KeyCode{pair[0], pair[1], true};
  return true;
}
