// Key input from the controlling terminal on POSIX systems. The terminal goes into raw mode for
// the wait and back to its saved mode on every way out, a signal that ends or stops the process
// included; the bytes it sends for a key are decoded into the key event a Windows console would
// give.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include "console/console.h"
#include "console/terminal_keys.h"
#include "platform/platform_posix.h"

namespace {

constexpr int NOT_OPENED = -1;
constexpr int UNAVAILABLE = -2;

// How long a lone ESC waits for the rest of a sequence before it is the Escape key. Terminals
// send a sequence at once; a person cannot type the next key this fast.
constexpr int ESCAPE_WAIT_MS = 50;

int terminal = NOT_OPENED;
struct termios saved_mode;
struct termios raw_mode;
struct sigaction saved_actions[NSIG];
bool handled[NSIG];

bool set_mode(const struct termios* mode) {
  int failed;
  while ((failed = tcsetattr(terminal, TCSANOW, mode)) != 0 && errno == EINTR) {
  }
  return failed == 0;
}

// A signal that ends the process during the wait must not leave the terminal raw: the mode goes
// back, and the signal is raised again to end the process as it asks.
void restore_and_reraise(int signal_number) {
  (void)set_mode(&saved_mode);
  (void)signal(signal_number, SIG_DFL);
  (void)raise(signal_number);
}

// A stop hands the terminal back as it was; raw mode returns when the process is continued.
void restore_and_stop(int) {
  int saved_errno = errno;
  (void)set_mode(&saved_mode);
  (void)raise(SIGSTOP);
  errno = saved_errno;
}

void resume_raw(int) {
  int saved_errno = errno;
  (void)set_mode(&raw_mode);
  errno = saved_errno;
}

using Handler = void (*)(int);

// What the wait does on each signal; null for those it leaves alone because they neither end nor
// stop the process, or cannot be caught.
Handler handler_for(int signal_number) {
  switch (signal_number) {
    case SIGKILL:
    case SIGSTOP:
    case SIGCHLD:
    case SIGURG:
    case SIGWINCH:
      return nullptr;
    case SIGTSTP:
    case SIGTTIN:
    case SIGTTOU:
      return restore_and_stop;
    case SIGCONT:
      return resume_raw;
    default:
      return restore_and_reraise;
  }
}

// A signal that was ignored when the wait began, as nohup leaves SIGHUP, stays ignored.
void catch_signals() {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  sigfillset(&action.sa_mask);
  for (int number = 1; number < NSIG; ++number) {
    action.sa_handler = handler_for(number);
    handled[number] = false;
    if (action.sa_handler == nullptr) continue;
    struct sigaction current;
    if (sigaction(number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    handled[number] = sigaction(number, &action, &saved_actions[number]) == 0;
  }
}

void release_signals() {
  for (int number = 1; number < NSIG; ++number) {
    if (handled[number]) (void)sigaction(number, &saved_actions[number], nullptr);
  }
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
  for (std::size_t left = bytes_to_follow(first); left > 0; --left) {
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

  // Raw input, as a Windows console in mode 0: Enter gives 13, Ctrl+C gives 3.
  raw_mode = saved_mode;
  raw_mode.c_iflag &=
      ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON | ISTRIP | BRKINT | PARMRK);
  raw_mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw_mode.c_cc[VMIN] = 1;
  raw_mode.c_cc[VTIME] = 0;
  catch_signals();
  if (!set_mode(&raw_mode)) {
    end_key_input();
    return false;
  }
  return true;
}

// Reads one key byte by byte, so that no byte of the next key is taken from the terminal. A
// sequence is read to its end however long it is; the bytes that do not fit are dropped.
bool read_key_event(KeyEvent* event) {
  unsigned char bytes[MAX_KEY_SEQUENCE];
  if (read_retrying(&bytes[0]) != 1) return false;
  std::size_t size = 1;
  while (decode_terminal_key(bytes, size, false, event) == 0) {
    if (size == sizeof bytes) --size;
    if (!read_byte_within(&bytes[size], ESCAPE_WAIT_MS)) {
      decode_terminal_key(bytes, size, true, event);
      break;
    }
    ++size;
  }
  if (event->character >= 0x80) finish_character(event->character);
  return true;
}

void end_key_input() {
  (void)set_mode(&saved_mode);
  release_signals();
}
