// Decodes what a VT or xterm terminal sends for one key press into the key event a Windows
// console would report for the same key.
#ifndef VEMBLO_CONSOLE_TERMINAL_KEYS_H
#define VEMBLO_CONSOLE_TERMINAL_KEYS_H

#include <cstddef>

#include "console/key_codes.h"

// The longest sequence kept; the reader drops the bytes of a longer one that do not fit.
constexpr std::size_t MAX_KEY_SEQUENCE = 16;

// Decodes the key at the start of bytes. Returns how many bytes it took, at least 1 when size is
// not 0, or 0 when the bytes begin a longer sequence and more may follow: pass at_end once no
// more are coming (Escape alone is the Escape key only then).
std::size_t decode_terminal_key(const unsigned char* bytes, std::size_t size, bool at_end,
                                KeyEvent* event);

#endif  // VEMBLO_CONSOLE_TERMINAL_KEYS_H
