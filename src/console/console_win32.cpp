// Key input from the Windows console: the console input device, read one record at a time.
#include <windows.h>

#include "console/console.h"

namespace {

HANDLE console = nullptr;  // not yet opened; INVALID_HANDLE_VALUE once opening failed
DWORD saved_mode;

unsigned modifiers_of(DWORD state) {
  unsigned modifiers = 0;
  if (state & SHIFT_PRESSED) modifiers |= KEY_SHIFT;
  if (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) modifiers |= KEY_CTRL;
  if (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) modifiers |= KEY_ALT;
  return modifiers;
}

}  // namespace

bool begin_key_input() {
  if (console == nullptr) {
    console = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  // Mode 0: Ctrl+C arrives as the key it is instead of stopping the process. Where the mode cannot
  // be set, Ctrl+C would end the process, and there is no wait, as where there is no console.
  return console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &saved_mode) &&
         SetConsoleMode(console, 0);
}

bool read_key_event(KeyEvent* event) {
  INPUT_RECORD record;
  DWORD count = 0;
  if (!ReadConsoleInputA(console, &record, 1, &count) || count == 0) return false;
  if (record.EventType != KEY_EVENT) {
    *event = KeyEvent{false, 0, 0, false, 0};
    return true;
  }
  const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  *event = KeyEvent{
      key.bKeyDown != 0, key.wVirtualScanCode, static_cast<unsigned char>(key.uChar.AsciiChar),
      (key.dwControlKeyState & ENHANCED_KEY) != 0, modifiers_of(key.dwControlKeyState)};
  return true;
}

// Nowhere is left to report a mode that cannot be put back.
void end_key_input() { (void)SetConsoleMode(console, saved_mode); }
