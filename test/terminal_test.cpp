// The keystroke wait on a real terminal: the built vemblo "/?" on a pseudo-terminal of its own,
// what ends the wait, that no byte is left for the shell, and that the terminal's mode comes back
// whatever ends or stops the process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "harness.h"

namespace {

// vemblo "/?" on a terminal of its own, standard output on it too or on a pipe that no one
// reads, and standard input a file, which the wait must not read. ignored is a signal ignored
// from the start, as nohup leaves SIGHUP.
struct TerminalRun {
  explicit TerminalRun(const char* locale = "C.UTF-8", bool closed_output = false,
                       int ignored = 0) {
    int ends[2];
    char self[PATH_MAX] = {};
    EXPECT_EQ(0, openpty(&master, &slave, nullptr, nullptr, nullptr) + pipe(ends));
    tcgetattr(slave, &before);
    EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    if ((pid = fork()) == 0) {
      setsid();
      ioctl(slave, TIOCSCTTY, 0);
      dup2(open("/etc/passwd", O_RDONLY), 0);
      dup2(closed_output ? ends[1] : slave, 1);
      dup2(slave, 2);
      close(ends[0]);
      setenv("LC_ALL", locale, 1);
      if (ignored != 0) (void)signal(ignored, SIG_IGN);
      struct rlimit no_core = {0, 0};
      setrlimit(RLIMIT_CORE, &no_core);
      std::string program = self;
      program.replace(program.rfind('/'), std::string::npos, "/vemblo");
      execl(program.c_str(), "vemblo", "/?", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ends[0]);
    close(ends[1]);
  }
  ~TerminalRun() {
    if (pid > 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    close(master);
    close(slave);
  }
  struct termios mode() const {
    struct termios now;
    return tcgetattr(slave, &now), now;
  }
  // True once the wait has begun, and the whole screen and the prompt stand on the terminal
  // when asked for, with the line ends that the program wrote.
  bool waiting(bool prompt = true) {
    char buffer[4096];
    struct pollfd ready = {master, POLLIN, 0};
    for (int tries = 0; tries < 500; ++tries) {
      for (ssize_t got;
           poll(&ready, 1, 0) > 0 && (got = read(master, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got; ++at) {
          if (buffer[at] != '\r') shown += buffer[at];
        }
      }
      if (!(mode().c_lflag & ICANON) && (!prompt || shown == USAGE_SCREEN)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  // Types keys, or sends a signal, and gives the process time to answer.
  void type(const std::string& keys, int signal_number = 0) {
    EXPECT_EQ(0, signal_number != 0
                     ? kill(pid, signal_number)
                     : write(master, keys.data(), keys.size()) - ssize_t(keys.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  bool running() { return waitpid(pid, &status, WNOHANG) == 0; }
  // The wait status once the process has ended, or -1 when it is still running after 5 s.
  int finish() {
    for (int tries = 0; tries < 500 && pid > 0; ++tries) {
      if (waitpid(pid, &status, WNOHANG) == pid) pid = -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid > 0 ? -1 : status;
  }
  // Ends with status 0, its mode given back and no byte left over for the shell.
  void expect_clean_end() {
    int count = -1;
    EXPECT_EQ(0, finish());
    EXPECT_TRUE(mode().c_iflag == before.c_iflag && mode().c_lflag == before.c_lflag);
    EXPECT_EQ(0, (ioctl(slave, FIONREAD, &count), count));
  }

  int master = -1, slave = -1, status = 0;
  pid_t pid = -1;
  std::string shown;
  struct termios before;
};

// Each row: what is typed first, which must not end the wait, then the key that does.
TEST(Terminal, KeysEndTheWait) {
  const struct {
    const char* locale;
    std::string ignored, key;
  } cases[] = {
      // clang-format off
      {"C.UTF-8", "", "x"},     {"C.UTF-8", "", "\r"},  {"C.UTF-8", "", "\x03"}, {"C.UTF-8", "", "\x1b"},
      {"C.UTF-8", "", "\x1b[1;5D"}, {"C.UTF-8", "", "\x1bOM"}, {"C.UTF-8", "", std::string(1, '\0')}, {"C.UTF-8", "", "\x1bOP"},
      {"C.UTF-8", "", "\xc3\xa9"}, {"C", "", "\xe2\x82\xac"}, {"C.UTF-8", "\x1b[M !!", "x"},
      {"C.UTF-8", "\x1b[" + std::string(30, '1') + "~", "x"}, {"C.UTF-8", "\x1b[<0;12;5M", "x"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.ignored + c.key) + " in " + c.locale);
    TerminalRun run(c.locale);
    ASSERT_TRUE(run.waiting());
    EXPECT_EQ(0u, run.mode().c_iflag & (ICRNL | IXON)) << "Enter gives 13, Ctrl+S a key";
    run.type(c.ignored);
    EXPECT_TRUE(run.running());
    run.type(c.key);
    run.expect_clean_end();
  }
}

// What ends the process gives the terminal back first; what stops it, until it goes on. An
// ignored SIGHUP stays ignored, and a screen that cannot be written still waits for its key.
TEST(Terminal, Signals) {
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGALRM, SIGXFSZ}) {
    TerminalRun run;
    ASSERT_TRUE(run.waiting());
    run.type("", signal_number);
    EXPECT_EQ(signal_number, WIFSIGNALED(run.finish()) ? WTERMSIG(run.status) : 0);
    EXPECT_TRUE(run.mode().c_lflag == run.before.c_lflag) << strsignal(signal_number);
  }
  TerminalRun stopped, nohup("C.UTF-8", false, SIGHUP), closed("C.UTF-8", true);
  ASSERT_TRUE(stopped.waiting() && nohup.waiting() && closed.waiting(false));
  stopped.type("", SIGTSTP);
  for (int tries = 0; tries < 200 && stopped.mode().c_lflag != stopped.before.c_lflag; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(stopped.mode().c_lflag == stopped.before.c_lflag);
  stopped.type("", SIGCONT);
  ASSERT_TRUE(stopped.waiting(false));
  nohup.type("", SIGHUP);
  for (TerminalRun* run : {&stopped, &nohup, &closed}) run->type("q"), run->expect_clean_end();
}

}  // namespace
