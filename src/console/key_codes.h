// Key codes: what one key press gives the caller of wait_for_key, looked up in the console's
// classic tables of two-byte codes for keys that produce no character.
#ifndef VEMBLO_CONSOLE_KEY_CODES_H
#define VEMBLO_CONSOLE_KEY_CODES_H

// Modifier keys held during a key press.
constexpr unsigned KEY_SHIFT = 1;
constexpr unsigned KEY_CTRL = 2;
constexpr unsigned KEY_ALT = 4;

// One key press or release as the console reports it.
struct KeyEvent {
  bool key_down;
  unsigned scan_code;
  unsigned char character;  // 0 when the key produces none
  bool enhanced;            // one of the dedicated cursor and editing keys
  unsigned modifiers;       // KEY_SHIFT, KEY_CTRL, KEY_ALT
};

// A character is one byte; a key without one gives a first and a second byte.
struct KeyCode {
  unsigned char first;
  unsigned char second;
  bool has_second;
};

// The code of a key press; false for releases and for keys that have none (a modifier alone).
bool key_to_code(const KeyEvent& event, KeyCode* code);

#endif  // VEMBLO_CONSOLE_KEY_CODES_H
