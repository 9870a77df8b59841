// Decodes the key sequences that terminals send to POSIX programs: ESC "[" or ESC "O", parameter
// bytes (of which the first two numbers are read) and a final byte. The second number, less one,
// holds the modifiers: 1 Shift, 2 Alt, 4 Ctrl, 8 Meta. Mouse reports are read whole, and are keys
// with no code.
#include "console/terminal_keys.h"

namespace {

constexpr unsigned char ESC = 0x1B;

constexpr unsigned SCAN_2 = 3;
constexpr unsigned SCAN_TAB = 15;
constexpr unsigned SCAN_F1 = 59;
constexpr unsigned SCAN_F6 = 64;
constexpr unsigned SCAN_F11 = 87;
constexpr unsigned SCAN_F12 = 88;
constexpr unsigned SCAN_HOME = 71;
constexpr unsigned SCAN_UP = 72;
constexpr unsigned SCAN_PAGE_UP = 73;
constexpr unsigned SCAN_LEFT = 75;
constexpr unsigned SCAN_RIGHT = 77;
constexpr unsigned SCAN_END = 79;
constexpr unsigned SCAN_DOWN = 80;
constexpr unsigned SCAN_PAGE_DOWN = 81;
constexpr unsigned SCAN_INSERT = 82;
constexpr unsigned SCAN_DELETE = 83;

// X10 mouse reports, ESC "[" "M", carry three bytes of any value behind the final byte.
constexpr std::size_t X10_MOUSE_BYTES = 3;

struct Sequence {
  unsigned char intro;  // "[" or "O"
  bool linux_console;   // ESC "[" "[" and a letter: the Linux console's F1 to F5
  bool unusual;         // parameter bytes other than digits and ";", as SGR mouse reports have
  unsigned params[2];
  unsigned param_count;
  unsigned char final;
};

unsigned modifiers_of(unsigned param) {
  if (param < 2) return 0;
  unsigned bits = param - 1;
  unsigned modifiers = 0;
  if (bits & 1) modifiers |= KEY_SHIFT;
  if (bits & (2 | 8)) modifiers |= KEY_ALT;
  if (bits & 4) modifiers |= KEY_CTRL;
  return modifiers;
}

// The key of a final letter: cursor keys, Home and End, F1 to F4, and Shift+Tab.
bool letter_key(unsigned char final, KeyEvent* event) {
  switch (final) {
    case 'A':
      event->scan_code = SCAN_UP;
      break;
    case 'B':
      event->scan_code = SCAN_DOWN;
      break;
    case 'C':
      event->scan_code = SCAN_RIGHT;
      break;
    case 'D':
      event->scan_code = SCAN_LEFT;
      break;
    case 'H':
      event->scan_code = SCAN_HOME;
      break;
    case 'F':
      event->scan_code = SCAN_END;
      break;
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
      event->scan_code = SCAN_F1 + (final - 'P');
      return true;
    case 'Z':
      event->scan_code = SCAN_TAB;
      event->modifiers |= KEY_SHIFT;
      return true;
    default:
      return false;
  }
  event->enhanced = true;
  return true;
}

// The key of ESC "[" number "~": 1 to 8 the editing keys, 11 to 15 F1 to F5, 17 to 21 F6 to F10,
// 23 and 24 F11 and F12. The VT220 numbering skips 16 and 22, where its keyboard had gaps.
bool numbered_key(unsigned number, KeyEvent* event) {
  static constexpr unsigned EDITING_KEYS[] = {0,        SCAN_HOME,    SCAN_INSERT,    SCAN_DELETE,
                                              SCAN_END, SCAN_PAGE_UP, SCAN_PAGE_DOWN, SCAN_HOME,
                                              SCAN_END};
  if (number >= 1 && number <= 8) {
    event->scan_code = EDITING_KEYS[number];
    event->enhanced = true;
  } else if (number >= 11 && number <= 15) {
    event->scan_code = SCAN_F1 + (number - 11);
  } else if (number >= 17 && number <= 21) {
    event->scan_code = SCAN_F6 + (number - 17);
  } else if (number == 23 || number == 24) {
    event->scan_code = number == 23 ? SCAN_F11 : SCAN_F12;
  } else {
    return false;
  }
  return true;
}

// Reads a sequence that starts behind ESC; 0 when it is not complete within size.
std::size_t parse_sequence(const unsigned char* bytes, std::size_t size, Sequence* sequence) {
  *sequence = Sequence{bytes[1], false, false, {0, 0}, 0, 0};
  std::size_t at = 2;
  if (sequence->intro == '[' && at < size && bytes[at] == '[') {
    sequence->linux_console = true;
    ++at;
  }
  for (; at < size; ++at) {
    unsigned char byte = bytes[at];
    if (byte >= '0' && byte <= '9') {
      if (sequence->param_count == 0) sequence->param_count = 1;
      unsigned& param = sequence->params[sequence->param_count - 1];
      if (param < 1000) param = param * 10 + (byte - '0');
    } else if (byte == ';') {
      sequence->param_count = sequence->param_count == 0 ? 2 : sequence->param_count + 1;
      if (sequence->param_count > 2) sequence->param_count = 2;  // further ones are not read
    } else if (byte >= 0x20 && byte <= 0x3F) {
      sequence->unusual = true;  // other parameter and intermediate bytes
    } else {
      sequence->final = byte;
      break;
    }
  }
  if (at == size) return 0;
  std::size_t length = at + 1;
  bool x10_mouse = sequence->intro == '[' && length == 3 && sequence->final == 'M';
  if (!x10_mouse) return length;
  sequence->unusual = true;
  return length + X10_MOUSE_BYTES <= size ? length + X10_MOUSE_BYTES : 0;
}

void decode_sequence(const Sequence& sequence, KeyEvent* event) {
  if (sequence.unusual) return;
  // The keypad in application mode: ESC "O" "M" is its Enter, "j" to "y" its characters.
  unsigned char final = sequence.final;
  if (sequence.intro == 'O' && (final == 'M' || (final >= 'j' && final <= 'y'))) {
    event->character = static_cast<unsigned char>(final - 0x40);
    return;
  }
  if (sequence.linux_console) {
    if (sequence.final >= 'A' && sequence.final <= 'E') {
      event->scan_code = SCAN_F1 + (sequence.final - 'A');
    }
    return;
  }
  bool known = sequence.final == '~' ? numbered_key(sequence.params[0], event)
                                     : letter_key(sequence.final, event);
  if (!known) return;
  if (sequence.param_count >= 2) event->modifiers |= modifiers_of(sequence.params[1]);
}

// Decodes one key; with_alt allows the ESC of Alt before it, once.
std::size_t decode_key(const unsigned char* bytes, std::size_t size, bool at_end, bool with_alt,
                       KeyEvent* event) {
  *event = KeyEvent{true, 0, 0, false, 0};
  if (size == 0) return 0;
  if (bytes[0] == 0) {
    // Ctrl+Space and Ctrl+@ send 0, as Ctrl+2 does.
    event->scan_code = SCAN_2;
    event->modifiers = KEY_CTRL;
    return 1;
  }
  if (bytes[0] != ESC) {
    event->character = bytes[0];
    return 1;
  }
  if (size == 1) {
    if (!at_end) return 0;
    event->character = ESC;  // Escape alone
    return 1;
  }
  if (bytes[1] == '[' || bytes[1] == 'O') {
    Sequence sequence;
    std::size_t length = parse_sequence(bytes, size, &sequence);
    if (length != 0) {
      decode_sequence(sequence, event);
      return length;
    }
    if (!at_end) return 0;
    if (size > 2) return size;  // cut off: a key, but none that has a code
    // Otherwise ESC "[" or ESC "O" alone: Alt with that character, below.
  }
  if (!with_alt) {
    event->character = ESC;
    return 1;
  }
  // ESC before a key is Alt held with it: Alt with a character arrives as that character.
  std::size_t length = decode_key(bytes + 1, size - 1, at_end, false, event);
  if (length == 0) return 0;
  event->modifiers |= KEY_ALT;
  return length + 1;
}

}  // namespace

std::size_t decode_terminal_key(const unsigned char* bytes, std::size_t size, bool at_end,
                                KeyEvent* event) {
  return decode_key(bytes, size, at_end, true, event);
}
