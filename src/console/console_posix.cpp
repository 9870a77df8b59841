// Key input from the controlling terminal on POSIX systems. The terminal goes into raw mode for
// the wait and back to its saved mode on every way out, a stopping signal included; the bytes it
// sends for a key are decoded into the key event a Windows console would give.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include "console/console.h"
#include "console/terminal_keys.h"
#include "platform/platform.h"

namespace {

constexpr int NOT_OPENED = -1;
constexpr int UNAVAILABLE = -2;

// How long a lone ESC waits for the rest of a sequence before it is the Escape key. Terminals
// send a sequence at once; a person cannot type the next key this fast.
constexpr int ESCAPE_WAIT_MS = 50;

constexpr int RESTORING_SIGNALS[] = {SIGTERM, SIGHUP, SIGQUIT, SIGINT};

int terminal = NOT_OPENED;
struct termios saved_mode;
struct sigaction saved_actions[sizeof RESTORING_SIGNALS / sizeof RESTORING_SIGNALS[0]];

// A signal that ends the process during the wait must not leave the terminal raw: the mode goes
// back, and the signal is raised again to end the process as it asks.
void restore_and_reraise(int signal_number) {
  // Nothing can be done about a failure here: the process is ending either way.
  (void)tcsetattr(terminal, TCSANOW, &saved_mode);
  (void)signal(signal_number, SIG_DFL);
  (void)raise(signal_number);
}

ssize_t read_retrying(unsigned char* byte) {
  ssize_t got;
  do {
    got = read(terminal, byte, 1);
  } while (got < 0 && errno == EINTR);
  return got;
}

// Waits up to timeout_ms for a byte; false when none came.
bool read_byte_within(unsigned char* byte, int timeout_ms) {
  struct pollfd ready = {terminal, POLLIN, 0};
  int count;
  do {
    count = poll(&ready, 1, timeout_ms);
  } while (count < 0 && errno == EINTR);
  return count > 0 && read_retrying(byte) == 1;
}

// Reads the rest of a multibyte character, so that none of it is left over for the shell.
void finish_character(unsigned char first) {
  unsigned char next;
  for (std::size_t left = character_size(first) - 1; left > 0; --left) {
    if (!read_byte_within(&next, ESCAPE_WAIT_MS)) return;
  }
}

}  // namespace

bool begin_key_input() {
  if (terminal == NOT_OPENED) {
    terminal = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0) terminal = UNAVAILABLE;
  }
  if (terminal == UNAVAILABLE || tcgetattr(terminal, &saved_mode) != 0) return false;

  struct sigaction restoring;
  memset(&restoring, 0, sizeof restoring);
  restoring.sa_handler = restore_and_reraise;
  sigfillset(&restoring.sa_mask);
  for (size_t i = 0; i < sizeof RESTORING_SIGNALS / sizeof RESTORING_SIGNALS[0]; ++i) {
    sigaction(RESTORING_SIGNALS[i], &restoring, &saved_actions[i]);
  }

  // Raw input, as a Windows console in mode 0: Enter gives 13, Ctrl+C gives 3.
  struct termios raw = saved_mode;
  raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON | ISTRIP | BRKINT | PARMRK);
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(terminal, TCSANOW, &raw) != 0) {
    end_key_input();
    return false;
  }
  return true;
}

// Reads one key byte by byte, so that no byte of the next key is taken from the terminal.
bool read_key_event(KeyEvent* event) {
  unsigned char bytes[MAX_KEY_SEQUENCE];
  if (read_retrying(&bytes[0]) != 1) return false;
  std::size_t size = 1;
  while (decode_terminal_key(bytes, size, false, event) == 0) {
    if (size == sizeof bytes || !read_byte_within(&bytes[size], ESCAPE_WAIT_MS)) {
      decode_terminal_key(bytes, size, true, event);
      break;
    }
    ++size;
  }
  if (event->character >= 0x80) finish_character(event->character);
  return true;
}

void end_key_input() {
  tcsetattr(terminal, TCSANOW, &saved_mode);
  for (size_t i = 0; i < sizeof RESTORING_SIGNALS / sizeof RESTORING_SIGNALS[0]; ++i) {
    sigaction(RESTORING_SIGNALS[i], &saved_actions[i], nullptr);
  }
}
