// volqfetch at its prompt on a terminal (a pseudo-terminal), as a person
// types: the Up arrow recalls a command, a message box takes only an empty
// line as its OK while a command typed there runs after it, Ctrl-C clears
// the line and Ctrl-D ends the program.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;

class Terminal {
 public:
  // volqfetch on the data directory DIR/data, or the command `argv` when
  // given (its first word the program).
  explicit Terminal(const fs::path& dir, unsigned short columns = 120,
                    std::vector<std::string> argv = {}) {
    // No record source: the download's open fails with a message box.
    if (argv.empty()) argv = {VOLQFETCH_PATH, "--data-dir", (dir / "data").string()};
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    winsize ws{};
    ws.ws_row = 40;
    ws.ws_col = columns;
    pid_ = forkpty(&fd_, nullptr, nullptr, &ws);
    if (pid_ == 0) {
      setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
      setenv("TERM", "xterm", 1);
      execvp(args[0], args.data());
      _exit(127);
    }
  }
  ~Terminal() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (fd_ >= 0) close(fd_);
  }
  bool started() const { return pid_ > 0; }

  // Reads until the screen so far holds `text` `times` times; false when
  // the program ends or stays silent for long first.
  bool WaitFor(const std::string& text, int times = 1) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Count(text) < times) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buf[4096];
      ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) return false;
      screen_.append(buf, static_cast<size_t>(n));
    }
    return true;
  }
  // Waits until the line editor holds the terminal (no line mode, no echo):
  // keys typed before it does are echoed by the terminal itself, an arrow as
  // "^[[A". A slower build (under the sanitizers) shows the prompt well before
  // that. False after 20 s.
  bool WaitForLineEditor() {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    termios mode{};
    while (tcgetattr(fd_, &mode) == 0 && (mode.c_lflag & (ICANON | ECHO)) != 0) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      usleep(1000);
    }
    return true;
  }
  void Type(const std::string& keys) {
    ASSERT_EQ(write(fd_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  // Exit status after the end of input.
  int Status() {
    int st = 0;
    waitpid(pid_, &st, 0);
    pid_ = -1;
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  const std::string& screen() const { return screen_; }
  pid_t pid() const { return pid_; }
  // Whether the terminal is in line mode with echo, as a shell leaves it.
  bool LineMode() const {
    termios mode{};
    return tcgetattr(fd_, &mode) == 0 && (mode.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO);
  }

 private:
  int Count(const std::string& text) const {
    int n = 0;
    for (size_t at = screen_.find(text); at != std::string::npos; at = screen_.find(text, at + 1))
      ++n;
    return n;
  }
  int fd_ = -1;
  pid_t pid_ = -1;
  std::string screen_;
};

TEST(Prompt, UpArrowRecallsAndAMessageBoxKeepsATypedCommand) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_prompt";
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "cfg");
  {
    Terminal t(dir);
    ASSERT_TRUE(t.started());
    const std::string prompt = "VOLQF1C：メイン> ";
    const std::string shown = "  Command3  button  HSチェック";
    ASSERT_TRUE(t.WaitFor(prompt)) << t.screen();
    t.Type("show Command3\r");
    ASSERT_TRUE(t.WaitFor(shown)) << t.screen();
    ASSERT_TRUE(t.WaitFor(prompt, 2)) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("\x1b[A\r");  // Up: the same command again
    ASSERT_TRUE(t.WaitFor(shown, 2)) << t.screen();
    ASSERT_TRUE(t.WaitFor(prompt, 3)) << t.screen();

    t.Type("press Command2\r");
    ASSERT_TRUE(t.WaitFor("OK: press Enter> ")) << t.screen();
    t.Type("show Command3\r");
    ASSERT_TRUE(t.WaitFor("(kept to run after the OK: show Command3)")) << t.screen();
    ASSERT_TRUE(t.WaitFor("OK: press Enter> ", 2)) << t.screen();
    t.Type("\r");
    ASSERT_TRUE(t.WaitFor(shown, 3)) << t.screen();  // the kept command, after the OK
    ASSERT_TRUE(t.WaitFor(prompt, 5)) << t.screen();
    t.Type("quit\r");
    t.WaitFor("never printed");  // to the end of output
    // The download without a record source did not complete, and says so.
    EXPECT_EQ(t.Status(), 1) << t.screen();
    EXPECT_NE(t.screen().find("failure: download not done: JVOpen returned RC=-211"),
              std::string::npos)
        << t.screen();
    EXPECT_EQ(t.screen().find("unknown command"), std::string::npos) << t.screen();
    EXPECT_EQ(t.screen().find("^[[A"), std::string::npos) << t.screen();
  }
  fs::remove_all(dir);
}

// At 80 columns: the list of commands folds between words; help explains
// them; Ctrl-C drops the half-typed download instead of ending the program,
// and Ctrl-D on an empty line ends it (nothing failed: status 0).
TEST(Prompt, CtrlCClearsTheLineAndCtrlDEnds) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_prompt_keys";
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "cfg");
  {
    Terminal t(dir, 80);
    ASSERT_TRUE(t.started());
    const std::string prompt = "VOLQF1C：メイン> ";
    ASSERT_TRUE(t.WaitFor(prompt)) << t.screen();
    EXPECT_NE(t.screen().find("commands: press CONTROL | type CONTROL TEXT | pick CONTROL N | "
                              "window N |\r\n          windows"),
              std::string::npos)
        << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("help\r");
    ASSERT_TRUE(t.WaitFor("  quit               end the program")) << t.screen();
    ASSERT_TRUE(t.WaitFor(prompt, 2)) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("press Command2");
    ASSERT_TRUE(t.WaitFor("press Command2")) << t.screen();
    t.Type("\x03");  // Ctrl-C
    ASSERT_TRUE(t.WaitFor("^C")) << t.screen();
    ASSERT_TRUE(t.WaitFor(prompt, 3)) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("show Command3\r");
    ASSERT_TRUE(t.WaitFor("  Command3  button  HSチェック")) << t.screen();
    ASSERT_TRUE(t.WaitFor(prompt, 4)) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("\x04");              // Ctrl-D
    t.WaitFor("never printed");  // to the end of output
    EXPECT_EQ(t.Status(), 0) << t.screen();
    EXPECT_EQ(t.screen().find("JVOpen"), std::string::npos) << t.screen();  // no download ran
  }
  fs::remove_all(dir);
}

// The process whose parent is `parent`; 0 when none is found.
pid_t ChildOf(pid_t parent) {
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(e.path() / "stat");
    std::string line;
    std::getline(stat, line);
    // pid (command) state ppid ...: the command may hold blanks and parentheses.
    const size_t end = line.rfind(')');
    if (end == std::string::npos) continue;
    char state = 0;
    int ppid = 0;
    if (std::sscanf(line.c_str() + end + 1, " %c %d", &state, &ppid) == 2 && ppid == parent)
      return static_cast<pid_t>(std::stoi(name));
  }
  return 0;
}

// SIGTERM, SIGHUP or SIGQUIT sent to volqfetch at its prompt end it alone:
// the shell that started it, in the same process group, goes on and finds
// the terminal in line mode again, and the status is 128 + the signal.
TEST(Prompt, ASignalAtThePromptEndsTheProgramAloneAndRestoresTheTerminal) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_prompt_signal";
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "cfg");
  const struct {
    int signal;
    const char* status;
  } cases[] = {{SIGTERM, "143"}, {SIGHUP, "129"}, {SIGQUIT, "131"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(strsignal(c.signal));
    Terminal t(dir, 120,
               {"sh", "-c",
                "'" VOLQFETCH_PATH "' --data-dir '" + (dir / "data").string() +
                    "'; echo \"wrapper: after $?\"; exec sleep 30"});
    ASSERT_TRUE(t.started());
    ASSERT_TRUE(t.WaitFor("VOLQF1C：メイン> ")) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("show");  // half a line: the line editor holds the terminal
    ASSERT_TRUE(t.WaitFor("show")) << t.screen();
    const pid_t program = ChildOf(t.pid());
    ASSERT_GT(program, 0);
    ASSERT_EQ(kill(program, c.signal), 0);
    ASSERT_TRUE(t.WaitFor(std::string("wrapper: after ") + c.status)) << t.screen();
    EXPECT_TRUE(t.LineMode());
  }
  fs::remove_all(dir);
}

// Ctrl-C during a step at volqbuild's prompt (SIGINT, delivered by strace at
// the process's 400th openat, which falls among the horses' files of
// Command3): the step stops, says how it is mended, and the prompt comes
// back; the steps that read its outputs refuse until it is pressed again.
TEST(Prompt, CtrlCDuringAStepStopsItAndThePromptComesBack) {
  if (std::system("command -v strace >/dev/null") != 0) GTEST_SKIP() << "strace is not installed";
  const fs::path dir = volq::testing::FreshTestRoot();
  ASSERT_TRUE(volq::testing::DownloadSample(dir, 3));
  {
    // LeakSanitizer cannot work under ptrace (the sanitizer build).
    const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    setenv("ASAN_OPTIONS", (asan.empty() ? "" : asan + ":").append("detect_leaks=0").c_str(), 1);
    Terminal t(dir, 120,
               {"strace", "-f", "-o", "/dev/null", "-e", "trace=openat", "-e",
                "inject=openat:signal=INT:when=400", VOLQBUILD_PATH, "--data-dir",
                (dir / "data").string()});
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
    ASSERT_TRUE(t.started());
    const std::string prompt = "VOLQNQ4DPROJECT 20180101SETUPC> ";
    ASSERT_TRUE(t.WaitFor(prompt)) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("press Command2\r");
    ASSERT_TRUE(t.WaitFor(prompt, 2)) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("press Command3\r");
    ASSERT_TRUE(t.WaitFor("Command3 interrupted: its outputs are incomplete; press Command3 again"))
        << t.screen();
    ASSERT_TRUE(t.WaitFor(prompt, 3)) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("press Command6\r");
    ASSERT_TRUE(t.WaitFor("step refused: Command3")) << t.screen();
    ASSERT_TRUE(t.WaitFor(prompt, 4)) << t.screen();
    ASSERT_TRUE(t.WaitForLineEditor()) << t.screen();
    t.Type("quit\r");
    t.WaitFor("never printed");  // to the end of output
    // The program went on after the interruption, and its run failed.
    EXPECT_EQ(t.Status(), 1) << t.screen();
  }
  fs::remove_all(dir);
}

}  // namespace
