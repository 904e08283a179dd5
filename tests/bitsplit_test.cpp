// Runs the real program as a process and checks its exact output and status.
// Under the asan preset LeakSanitizer also checks every run for leaks: a leak
// changes the exit status, which every test here checks.

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr std::string_view report =
    "buf = 00000000000011110100001001000000\n"
    "hi  = 0000000000001111\n"
    "lo  = 0100001001000000\n";

// A path quoted for the shell, whatever characters it holds.
std::string shell_quoted(std::string_view path) {
  std::string text = "'";
  for (const char character : path) {
    text += character == '\'' ? std::string("'\\''") : std::string(1, character);
  }
  return text + "'";
}
std::string program() { return shell_quoted(BITSPLIT_PROGRAM); }
std::string failing_calls_program() { return shell_quoted(BITSPLIT_FAILING_CALLS_PROGRAM); }

struct Outcome {
  std::string out;
  std::string err;
  int exit_status;
};

std::string take_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  // A file left over in the temporary folder would do no harm.
  static_cast<void>(std::remove(path.c_str()));
  return text;
}

// Runs a shell command with its standard output and error captured, unless
// the command redirects them itself.
Outcome run(const std::string& command) {
  const std::string capture = testing::TempDir() + "bitsplit_test." + std::to_string(getpid());
  // The shell is the point: it gives the redirections and the environment.
  const int status = std::system(  // NOLINT(cert-env33-c)
      ("exec >" + shell_quoted(capture + ".out") + " 2>" + shell_quoted(capture + ".err") + "; " +
       command)
          .c_str());
  return {take_file(capture + ".out"), take_file(capture + ".err"),
          WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(Bitsplit, PrintsTheReportWhateverItsArgumentsAndEnvironment) {
  for (const std::string& command : {program(), program() + " --help -x 7", "env -i " + program(),
                                     "env -i " + program() + " a b"}) {
    SCOPED_TRACE(command);
    const Outcome result = run(command);
    EXPECT_EQ(result.out, report);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exit_status, 0);
  }
}

// Call 0 fails nothing, which shows the wrapped build is the real program.
TEST(Bitsplit, ReportsEachFailedAllocation) {
  for (const int failing_call : {0, 1, 2, 3}) {
    SCOPED_TRACE(testing::Message() << "failing malloc call " << failing_call);
    const Outcome result =
        run("BITSPLIT_FAIL_MALLOC=" + std::to_string(failing_call) + " " + failing_calls_program());
    EXPECT_EQ(result.out, failing_call == 0 ? report : "shit\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exit_status, failing_call == 0 ? 0 : 1);
  }
}

TEST(Bitsplit, FailsWhenOutputCannotBeWritten) {
  for (const std::string& command : {program() + " >/dev/full", program() + " >&-",
                                     "BITSPLIT_FAIL_CLOSE=1 " + failing_calls_program()}) {
    SCOPED_TRACE(command);
    const Outcome result = run(command);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exit_status, 1);
  }
}

// Runs the program with its standard output on a pipe that nobody reads, and
// returns its wait status.
int run_into_closed_pipe(bool ignore_sigpipe) {
  std::array<int, 2> ends{};
  if (pipe(ends.data()) != 0) {
    return -1;
  }
  close(ends[0]);
  const pid_t child = fork();
  if (child == 0) {
    static_cast<void>(std::signal(SIGPIPE, ignore_sigpipe ? SIG_IGN : SIG_DFL));  // Kept by exec.
    dup2(ends[1], STDOUT_FILENO);
    execl(BITSPLIT_PROGRAM, BITSPLIT_PROGRAM, nullptr);
    _exit(127);
  }
  close(ends[1]);
  int status = -1;
  waitpid(child, &status, 0);
  return status;
}

// Like any Unix tool it ends by SIGPIPE when its reader has gone, and reports
// the failed write when that signal is ignored.
TEST(Bitsplit, FailsWhenItsReaderHasGone) {
  const int by_default = run_into_closed_pipe(false);
  EXPECT_TRUE(WIFSIGNALED(by_default) && WTERMSIG(by_default) == SIGPIPE) << by_default;
  const int ignored = run_into_closed_pipe(true);
  EXPECT_TRUE(WIFEXITED(ignored) && WEXITSTATUS(ignored) == 1) << ignored;
}

TEST(Bitsplit, RunsFromAPathThatNeedsQuoting) {
  const std::filesystem::path folder =
      std::filesystem::path(testing::TempDir()) / "bitsplit's \"odd\" $folder";
  std::filesystem::create_directories(folder);
  const std::filesystem::path copy = folder / "bitsplit";
  std::filesystem::copy_file(BITSPLIT_PROGRAM, copy,
                             std::filesystem::copy_options::overwrite_existing);
  const Outcome result = run(shell_quoted(copy.string()));
  std::filesystem::remove_all(folder);
  EXPECT_EQ(result.out, report);
  EXPECT_EQ(result.exit_status, 0);
}

// Nothing from the C++ runtime is loaded, so it starts like a C program.
TEST(Bitsplit, NeedsOnlyTheCLibrary) {
  if (BITSPLIT_PROGRAM_IS_SANITIZED) {
    GTEST_SKIP() << "this build links the sanitizer runtimes into the program";
  }
  const Outcome result = run(shell_quoted(BITSPLIT_READELF) + " --dynamic " + program());
  std::vector<std::string> needed;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("(NEEDED)") != std::string::npos) {
      needed.push_back(line.substr(line.find('[') + 1, line.find(']') - line.find('[') - 1));
    }
  }
  EXPECT_EQ(needed, std::vector<std::string>{"libc.so.6"});
  EXPECT_EQ(result.exit_status, 0);
}

}  // namespace
