// Raw key input from the console itself, not from standard input, so that a key is read even
// when standard input is redirected. Each platform has its own file.
#ifndef VEMBLO_CONSOLE_CONSOLE_H
#define VEMBLO_CONSOLE_CONSOLE_H

#include "console/key_codes.h"

// Opens the console on first use, saves its input mode and switches to raw input: no line
// input, no echo, control keys arrive as keys. False when there is no console.
bool begin_key_input();

// Waits for the next input event. False when the console cannot be read.
bool read_key_event(KeyEvent* event);

// Puts the saved input mode back.
void end_key_input();

#endif  // VEMBLO_CONSOLE_CONSOLE_H
