// What only POSIX systems can show: the command at the path limit and at the root, the built
// vemblo where system calls fail, where runs overlap and where a mount hides a file, and vemblo
// "/?" waiting for a key on a pseudo-terminal of its own, where no byte may be left for the shell
// and the terminal's mode comes back whatever ends or stops the process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "harness.h"

namespace {

// A dated name of PATH_MAX - 1 bytes is made; one byte more is refused, and so is a working
// directory too long to be named at all.
TEST(CommandPosix, AtThePathLimit) {
  ScopedFolder folder;
  char home[PATH_MAX];
  ASSERT_TRUE(getcwd(home, sizeof home) != nullptr && chdir(folder.path.c_str()) == 0);
  std::vector<std::string> path;  // "/f" and the stamp follow it
  for (size_t length = folder.path.size(); length < PATH_MAX - 9;
       length += path.back().size() + 1) {
    path.emplace_back(PATH_MAX - 9 - length > 250 ? 150 : PATH_MAX - 10 - length, 'd');
    ASSERT_EQ(0, mkdir(path.back().c_str(), 0700) + chdir(path.back().c_str()));
  }
  const std::string dated = "f" + today_stamp(), deeper = "deeper-than-a-path-may-be";
  ASSERT_EQ(0, fclose(fopen("f", "w")) + mkdir(deeper.c_str(), 0700));
  EXPECT_EQ(0, run_in("", {"f"}).status);
  EXPECT_EQ("vemblo: cannot rename 'ff': File name too long\n", run_in("", {"ff"}).err);
  ASSERT_EQ(0, chdir(deeper.c_str()));
  EXPECT_EQ("vemblo: cannot rename 'f': File name too long\n", run_in("", {"f"}).err);
  // Too deep to be removed by its full path, the folder goes from the inside out.
  EXPECT_EQ(0, chdir("..") + rmdir(deeper.c_str()) + unlink(dated.c_str()));
  for (; !path.empty(); path.pop_back()) ASSERT_EQ(0, chdir("..") + rmdir(path.back().c_str()));
  ASSERT_EQ(0, chdir(home));
}

// The root's own name is "/", which must not be doubled, and the root itself stays as it is.
TEST(CommandPosix, AtTheRoot) {
  const std::string stamp = today_stamp();
  EXPECT_EQ("vemblo: cannot rename 'none' to '/none" + stamp + "': No such file or directory\n",
            run_in("/", {"none"}).err);
  EXPECT_EQ(0u, run_in("/", {"/"}).err.find("vemblo: cannot rename '/' to '/" + stamp + "': "));
}

// Starts the words as a command in folder, standard error going nowhere, or into a pipe that no
// one reads when closed_error; returns the process id.
pid_t start_in(const std::string& folder, std::vector<std::string> words,
               bool closed_error = false) {
  int ends[2];
  EXPECT_EQ(0, pipe(ends));
  pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    dup2(closed_error ? ends[1] : open("/dev/null", O_WRONLY), 2);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    if (chdir(folder.c_str()) == 0) execvp(argv[0], argv.data());
    _exit(127);
  }
  close(ends[0]), close(ends[1]);
  return pid;
}

int exit_status(pid_t pid) {
  int status = -1;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The built vemblo with arg under strace and its options. A sanitized program cannot look for
// leaks while it is traced.
std::vector<std::string> traced(std::vector<std::string> options, const std::string& arg) {
  options.insert(options.begin(), {"strace", "-qq", "-E", "ASAN_OPTIONS=detect_leaks=0"});
  options.insert(options.end(), {VEMBLO_PROGRAM, arg});
  return options;
}

// The routes a run can take, as entries before and after it.
struct Route {
  std::vector<std::string> before;
  std::string arg;
  std::vector<std::string> after;
};

std::vector<Route> routes(const std::string& s) {
  return {
      {{"a"}, "a", {"a" + s + "=a"}},                                         // to a new name
      {{"a", "a" + s}, "a", {"a" + s + "=a"}},                                // over a file
      {{"a", "a" + s + "=>a"}, "a", {"a" + s + "=a"}},                        // a second name
      {{"d/", "d/in", "d" + s}, "d", {"d" + s + "/", "d" + s + "/in=d/in"}},  // a directory
      {{"d/", "d/in"}, "d", {"d" + s + "/", "d" + s + "/in=d/in"}},           // over a file too
  };
}

// The file-system calls of one run, each as its name and its count among the calls of that name,
// from the first that asks for the current directory: those before start the program.
std::vector<std::pair<std::string, int>> file_calls(const Route& route) {
  ScopedFolder folder, trace;
  populate(folder, route.before);
  exit_status(start_in(folder.path,
                       traced({"-o", trace / "calls", "-e", "trace=%file,getcwd"}, route.arg)));
  std::vector<std::pair<std::string, int>> calls;
  std::map<std::string, int> count;
  std::ifstream lines(trace / "calls");
  for (std::string line; std::getline(lines, line);) {
    std::string call = line.substr(0, line.find('('));
    int nth = ++count[call];
    if (call == "getcwd" || !calls.empty()) calls.emplace_back(call, nth);
  }
  return calls;
}

// Each file-system call of a run fails in turn, and each rename of a file claims to be done and
// does nothing, as between two names of one file: the run then changes nothing and ends with
// status 2, or renames with status 0.
TEST(CommandPosix, FailingCalls) {
  ASSERT_EQ(0, setenv("TZ", "UTC0", 1));  // no time zone file to read
  tzset();
  for (const Route& route : routes(today_stamp())) {
    std::vector<std::string> faults;
    for (const auto& [call, nth] : file_calls(route)) {
      std::string when = ":when=" + std::to_string(nth);
      faults.push_back("inject=" + call + ":error=EIO" + when);
      if (call == "rename" && route.arg == "a") faults.push_back("inject=rename:retval=0" + when);
    }
    EXPECT_LT(3u, faults.size());
    for (const std::string& fault : faults) {
      SCOPED_TRACE(route.arg + " in " + testing::PrintToString(route.before) + ", " + fault);
      ScopedFolder folder;
      populate(folder, route.before);
      std::vector<std::string> expected = contents(folder.path), after = route.after;
      int status =
          exit_status(start_in(folder.path, traced({"-o", "/dev/null", "-e", fault}, route.arg)));
      std::sort(after.begin(), after.end());
      if (status == 0) expected = after;
      EXPECT_TRUE(status == 0 || status == 2) << status;
      EXPECT_EQ(expected, contents(folder.path));
    }
  }
}

// Runs that overlap, each putting a directory in a file's place or removing a second name, take
// aside names of their own: nothing is lost and no name is left behind.
TEST(CommandPosix, OverlappingRuns) {
  constexpr int ROUNDS = 5;  // where runs shared a name, about every other round lost a file
  const std::string s = today_stamp();
  for (int round = 0; round < ROUNDS; ++round) {
    ScopedFolder folder;
    std::vector<std::string> names, after;
    for (char run = '0'; run < '8'; ++run) {
      const std::string d = run + std::string("d"), a = run + std::string("a");
      populate(folder, {d + "/", d + "/in", d + s, a, a + s + "=>" + a});
      after.insert(after.end(), {d + s + "/", d + s + "/in=" + d + "/in", a + s + "=" + a});
      names.insert(names.end(), {d, a});
    }
    std::vector<pid_t> runs;
    for (const std::string& name : names)
      runs.push_back(start_in(folder.path, {VEMBLO_PROGRAM, name}));
    for (pid_t run : runs) EXPECT_EQ(0, exit_status(run));
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, contents(folder.path));
  }
}

// A directory made under the dated name while a run waits to rename a directory there is not
// replaced, also where the file system refuses the flag that says so. Where the run has taken the
// name first, the directory cannot be made, and the run renames.
TEST(CommandPosix, DirectoryMadeMeanwhile) {
  ScopedFolder folder;
  populate(folder, {"d/"});
  const std::string dated = "d" + today_stamp();
  pid_t run = start_in(folder.path,
                       traced({"-o", "/dev/null", "-e", "inject=rename:delay_enter=1000000"}, "d"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  bool made = mkdir((folder / dated).c_str(), 0700) == 0;
  EXPECT_EQ(made ? 2 : 0, exit_status(run));
  std::vector<std::string> after = {dated + "/"};
  if (made) after.insert(after.begin(), "d/");
  EXPECT_EQ(after, contents(folder.path));
}

// A file bound over its dated name shows the same number there, yet has that one name only: the
// system's refusal stands, and the file keeps its name.
TEST(CommandPosix, FileBoundOverItsDatedName) {
  if (geteuid() != 0) GTEST_SKIP() << "binding a file needs root";
  ScopedFolder folder;
  const std::string dated = folder / ("a" + today_stamp() + ".txt");
  populate(folder, {"a.txt", dated.substr(folder.path.size() + 1)});
  ASSERT_EQ(0, mount((folder / "a.txt").c_str(), dated.c_str(), nullptr, MS_BIND, nullptr));
  RunResult run = run_in(folder.path, {"a.txt"});
  ASSERT_EQ(0, umount(dated.c_str()));
  EXPECT_EQ(2, run.status);
  EXPECT_EQ((std::vector<std::string>{"a.txt", dated.substr(folder.path.size() + 1)}),
            contents(folder.path));
}

// A closed standard error, as in "vemblo missing 2>&1 | true", ends the run with its status.
TEST(CommandPosix, ClosedStandardError) {
  ScopedFolder folder;
  EXPECT_EQ(2, exit_status(start_in(folder.path, {VEMBLO_PROGRAM, "missing"}, true)));
}

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
      char buffer[4096];
      struct pollfd ready = {master, POLLIN, 0};
      for (ssize_t got; poll(&ready, 1, 0) > 0 && (got = read(master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<size_t>(got));
      shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
      return !(mode().c_lflag & ICANON) && (!prompt || shown == USAGE_SCREEN);
    });
  }
  // Types keys, or sends a signal, and gives the process time to answer.
  void type(const std::string& keys, int signal_number = 0) {
    EXPECT_EQ(0, signal_number != 0
                     ? kill(pid, signal_number)
                     : write(master, keys.data(), keys.size()) - ssize_t(keys.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  // The wait status once the process has ended, or -1 while it still runs after 5 s.
  int finish() {
    if (!eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; })) return -1;
    return pid = -1, status;
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
    EXPECT_EQ(0, waitpid(run.pid, &run.status, WNOHANG)) << "ended by what it should ignore";
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
  EXPECT_TRUE(eventually([&] { return stopped.mode().c_lflag == stopped.before.c_lflag; }));
  stopped.type("", SIGCONT);
  ASSERT_TRUE(stopped.waiting(false));
  nohup.type("", SIGHUP);
  for (TerminalRun* run : {&stopped, &nohup, &closed}) run->type("q"), run->expect_clean_end();
}

}  // namespace
