// The usage screen's keystroke wait on a real pseudo-terminal: what ends it, what it leaves
// behind, and that the terminal's mode comes back whatever ends it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "black_box.h"

namespace {

// vemblo "/?" on a terminal of its own, its standard output in a file.
class TerminalRun {
 public:
  explicit TerminalRun(const std::string& input_file = "") {
    EXPECT_EQ(0, openpty(&master_, &slave_, nullptr, nullptr, nullptr));
    tcgetattr(slave_, &before_);
    out_ = folder_ / "out";
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      int input = input_file.empty() ? slave_ : open(input_file.c_str(), O_RDONLY);
      dup2(input, 0);
      dup2(open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
      dup2(slave_, 2);
      putenv(const_cast<char*>("LC_ALL=C.UTF-8"));  // a key may send a multibyte character
      struct rlimit no_core = {0, 0};
      setrlimit(RLIMIT_CORE, &no_core);
      execl(vemblo_path().c_str(), "vemblo", "/?", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TerminalRun() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) kill(pid_, SIGKILL);
    close(master_);
    close(slave_);
  }

  // The wait has begun once the terminal has left canonical mode.
  bool waiting_within(std::chrono::milliseconds limit) {
    for (auto end = std::chrono::steady_clock::now() + limit;
         std::chrono::steady_clock::now() < end;) {
      struct termios mode;
      tcgetattr(slave_, &mode);
      if (!(mode.c_lflag & ICANON)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  void signal(int signal_number) { kill(pid_, signal_number); }
  bool still_running() { return waitpid(pid_, &status_, WNOHANG) == 0; }
  void type(const std::string& keys) {
    EXPECT_EQ(keys.size(), write(master_, keys.data(), keys.size()));
  }
  // The exit status, or -1 when the command has not ended within five seconds.
  int finish() {
    for (int tries = 0; tries < 500; ++tries) {
      if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        pid_ = -1;
        return status_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  std::string screen() const { return read_file(out_); }
  bool mode_restored() const {
    struct termios after;
    tcgetattr(slave_, &after);
    return after.c_iflag == before_.c_iflag && after.c_lflag == before_.c_lflag &&
           after.c_oflag == before_.c_oflag && after.c_cc[VMIN] == before_.c_cc[VMIN];
  }
  // Bytes typed but not read: they would reach the shell.
  int unread_bytes() const {
    int count = -1;
    ioctl(slave_, FIONREAD, &count);
    return count;
  }

 private:
  ScopedFolder folder_;
  std::string out_;
  int master_ = -1;
  int slave_ = -1;
  pid_t pid_ = -1;
  int status_ = 0;
  struct termios before_;
};

TEST(Terminal, KeysEndTheWait) {
  const char* keys[] = {"x", "\r", "\x1b[A", "\x1b[15~", "\x03", "\x1b", "\x1b[1;5D", "\xc3\xa9"};
  for (const char* key : keys) {
    SCOPED_TRACE(testing::PrintToString(std::string(key)));
    TerminalRun run;
    ASSERT_TRUE(run.waiting_within(std::chrono::seconds(5)));
    run.type(key);
    int status = run.finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(USAGE_SCREEN, run.screen());
    EXPECT_TRUE(run.mode_restored());
    EXPECT_EQ(0, run.unread_bytes());
  }
}

TEST(Terminal, WaitsForTheTerminalNotStandardInput) {
  ScopedFolder folder;
  write_file(folder / "input", "typed ahead\n");
  TerminalRun run(folder / "input");
  ASSERT_TRUE(run.waiting_within(std::chrono::seconds(5)));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_TRUE(run.still_running());
  run.type("q");
  EXPECT_EQ(0, run.finish());
  EXPECT_EQ(USAGE_SCREEN, run.screen());
}

TEST(Terminal, StoppingSignalsRestoreTheMode) {
  for (int signal_number : {SIGTERM, SIGHUP, SIGQUIT, SIGINT}) {
    SCOPED_TRACE(strsignal(signal_number));
    TerminalRun run;
    ASSERT_TRUE(run.waiting_within(std::chrono::seconds(5)));
    run.signal(signal_number);
    int status = run.finish();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_TRUE(run.mode_restored());
  }
}

}  // namespace
