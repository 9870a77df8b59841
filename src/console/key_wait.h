// The wait for one keystroke on the console.
#ifndef VEMBLO_CONSOLE_KEY_WAIT_H
#define VEMBLO_CONSOLE_KEY_WAIT_H

// Waits for one key press and returns its code, a byte: the character, or the first byte of a
// two-byte code, whose second byte the next call returns. -1 when there is no console.
int wait_for_key();

#endif  // VEMBLO_CONSOLE_KEY_WAIT_H
