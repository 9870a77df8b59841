// The built vemblo "/?" waiting for a key on a pseudo-terminal of its own, where no byte may be
// left for the shell and the terminal's mode comes back whatever ends or stops the process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "harness.h"

namespace {

// The usage screen as the program writes it; no other test spells it out.
const std::string USAGE_SCREEN =
    "\nVemblo, version 1.1 (Build 1) \nStamps a file's name with the day's date. \n"
    "Created 11.02.00 \n\nVemblo [file name] [text] \n"
    "        file name - name of the file, being renamed \n"
    "        text      - editional text in file name \n\nVemblo  /?        - help \n\n"
    "press Enter ...";

// Whether done holds within 5 s.
bool eventually(const std::function<bool()>& done) {
  for (int tries = 0; tries < 500; ++tries) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// vemblo "/?" on a terminal of its own, standard output on it too or on a pipe that no one
// reads, and standard input a file, which the wait must not read. ignored is a signal ignored
// from the start, as nohup leaves SIGHUP.
struct TerminalRun {
  explicit TerminalRun(const char* locale = "C.UTF-8", bool closed_output = false,
                       int ignored = 0) {
    int ends[2];
    EXPECT_EQ(0, openpty(&master, &slave, nullptr, nullptr, nullptr) + pipe(ends));
    tcgetattr(slave, &before);
    if ((pid = fork()) == 0) {
      struct rlimit no_core = {0, 0};
      setsid(), ioctl(slave, TIOCSCTTY, 0), setrlimit(RLIMIT_CORE, &no_core);
      dup2(open("/etc/passwd", O_RDONLY), 0), dup2(closed_output ? ends[1] : slave, 1);
      dup2(slave, 2), close(ends[0]), setenv("LC_ALL", locale, 1);
      if (ignored != 0) (void)signal(ignored, SIG_IGN);
      execl(VEMBLO_PROGRAM, "vemblo", "/?", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ends[0]), close(ends[1]);
  }
  ~TerminalRun() {
    if (pid > 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    close(master), close(slave);
  }
  struct termios mode() const {
    struct termios now;
    return tcgetattr(slave, &now), now;
  }
  // True once the wait has begun and, when asked for, the screen and the prompt stand whole on
  // the terminal.
  bool waiting(bool prompt = true) {
    return eventually([&] {
      char buffer[4096];  // a read's worth; the loop reads until nothing is left
      struct pollfd ready = {master, POLLIN, 0};
      for (ssize_t got; poll(&ready, 1, 0) > 0 && (got = read(master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<size_t>(got));
      shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
      return !(mode().c_lflag & ICANON) && (!prompt || shown == USAGE_SCREEN);
    });
  }
  // Types keys and gives the process settle_ms to answer.
  void type(const std::string& keys, int settle_ms = 100) {
    EXPECT_EQ(ssize_t(keys.size()), write(master, keys.data(), keys.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(settle_ms));
  }
  // The wait status once the process has ended, or -1 while it still runs after 5 s.
  int finish() {
    if (!eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; })) return -1;
    return pid = -1, status;
  }
  // Ends with status 0, its mode given back and no byte left over for the shell, not even an
  // unfinished line, which only raw input counts.
  void expect_clean_end() {
    int count = -1;
    EXPECT_EQ(0, finish());
    struct termios raw = mode();
    EXPECT_TRUE(raw.c_iflag == before.c_iflag && raw.c_lflag == before.c_lflag);
    cfmakeraw(&raw), tcsetattr(slave, TCSANOW, &raw);
    EXPECT_EQ(0, (ioctl(slave, FIONREAD, &count), count));
  }

  int master = -1, slave = -1, status = 0;
  pid_t pid = -1;
  std::string shown;
  struct termios before;
};

// Each row: what is typed first, which must not end the wait, then the key that does, the last
// part of it a little later, as a sequence split across two reads over ssh comes.
TEST(Terminal, KeysEndTheWait) {
  const struct {
    const char* locale;
    std::string ignored, key, later = "";
  } cases[] = {
      // clang-format off
      {"C.UTF-8", "", "x"},     {"C.UTF-8", "", "\r"},  {"C.UTF-8", "", "\x03"}, {"C.UTF-8", "", "\x1b"},
      {"C.UTF-8", "", "\x1b[1;5D"}, {"C.UTF-8", "", "\x1bOM"}, {"C.UTF-8", "", std::string(1, '\0')}, {"C.UTF-8", "", "\x1bOP"},
      {"C.UTF-8", "", "\xc3\xa9"}, {"C", "", "\xe2\x82\xac"}, {"C.UTF-8", "\x1b[M !!", "x"},
      {"C.UTF-8", "\x1b[" + std::string(30, '1') + "~", "x"}, {"C.UTF-8", "\x1b[<0;12;5M", "x"},
      {"C.UTF-8", "", "\x1b", "[A"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.ignored + c.key + c.later) + " in " + c.locale);
    TerminalRun run(c.locale);
    ASSERT_TRUE(run.waiting());
    EXPECT_EQ(0u, (run.mode().c_iflag & (ICRNL | IXON)) | (run.mode().c_lflag & ECHO))
        << "Enter gives 13, Ctrl+S a key, and no key shows";
    run.type(c.ignored);
    EXPECT_EQ(0, waitpid(run.pid, &run.status, WNOHANG)) << "ended by what it should ignore";
    run.type(c.key, 10);
    run.type(c.later);
    run.expect_clean_end();
  }
}

// What ends the process gives the terminal back first; what stops it, until it goes on. An
// ignored SIGHUP stays ignored, and a screen that cannot be written still waits for its key.
TEST(Terminal, Signals) {
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGALRM, SIGXFSZ}) {
    TerminalRun run;
    ASSERT_TRUE(run.waiting());
    kill(run.pid, signal_number);
    EXPECT_EQ(signal_number, WIFSIGNALED(run.finish()) ? WTERMSIG(run.status) : 0);
    EXPECT_TRUE(run.mode().c_lflag == run.before.c_lflag) << strsignal(signal_number);
  }
  TerminalRun stopped, nohup("C.UTF-8", false, SIGHUP), closed("C.UTF-8", true);
  ASSERT_TRUE(stopped.waiting() && nohup.waiting() && closed.waiting(false));
  kill(stopped.pid, SIGTSTP);
  EXPECT_TRUE(eventually([&] { return stopped.mode().c_lflag == stopped.before.c_lflag; }));
  kill(stopped.pid, SIGCONT), kill(nohup.pid, SIGHUP);
  ASSERT_TRUE(stopped.waiting(false));
  for (TerminalRun* run : {&stopped, &nohup, &closed}) run->type("q"), run->expect_clean_end();
}

}  // namespace
