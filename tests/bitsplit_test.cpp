// Runs the real program as a process and checks its exact output and status.
// Under the asan preset LeakSanitizer also checks every run for leaks: a leak
// changes the exit status, which every test here checks.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
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

struct Outcome {
  std::string out;
  std::string err;
  int exit_status;  // -1 when a signal ended the process.
};

std::string read_all(int descriptor) {
  std::string text;
  std::array<char, 4096> chunk{};
  for (ssize_t got = 0; (got = read(descriptor, chunk.data(), chunk.size())) > 0;) {
    text.append(chunk.data(), static_cast<std::size_t>(got));
  }
  close(descriptor);
  return text;
}

std::vector<std::string> current_environment() {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    variables.emplace_back(*variable);
  }
  return variables;
}

// Runs `command` with `environment`; standard output goes to `stdout_path`
// when one is given and is captured otherwise.
Outcome run(std::vector<std::string> command, std::vector<std::string> environment,
            const char* stdout_path = nullptr) {
  std::array<int, 2> out{};
  std::array<int, 2> err{};
  if (pipe2(out.data(), O_CLOEXEC) != 0 || pipe2(err.data(), O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe2 failed";
    return {"", "", -1};
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdout_path != nullptr) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdout_path, O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  }
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

  std::vector<char*> argv;
  std::vector<char*> envp;
  argv.reserve(command.size() + 1);
  envp.reserve(environment.size() + 1);
  for (auto& word : command) {
    argv.push_back(word.data());
  }
  for (auto& variable : environment) {
    envp.push_back(variable.data());
  }
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  Outcome result{read_all(out[0]), read_all(err[0]), -1};
  int status = 0;
  if (spawned != 0 || waitpid(child, &status, 0) != child) {
    ADD_FAILURE() << "could not run " << command[0];
  } else if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  }
  return result;
}

TEST(Bitsplit, PrintsTheReportWhateverItsArgumentsAndEnvironment) {
  const std::vector<std::vector<std::string>> commands = {
      {BITSPLIT_PROGRAM},
      {BITSPLIT_PROGRAM, "--help", "-x", "7"},
  };
  for (const auto& command : commands) {
    for (const auto& environment : {current_environment(), std::vector<std::string>{}}) {
      SCOPED_TRACE(testing::Message() << command.size() << " words, " << environment.size()
                                      << " environment variables");
      const Outcome result = run(command, environment);
      EXPECT_EQ(result.out, report);
      EXPECT_EQ(result.err, "");
      EXPECT_EQ(result.exit_status, 0);
    }
  }
}

// Call 0 fails nothing, which shows the wrapped build is the real program.
TEST(Bitsplit, ReportsEachFailedAllocation) {
  for (const int failing_call : {0, 1, 2, 3}) {
    SCOPED_TRACE(testing::Message() << "failing malloc call " << failing_call);
    std::vector<std::string> environment = current_environment();
    environment.push_back("BITSPLIT_FAIL_MALLOC=" + std::to_string(failing_call));
    const Outcome result = run({BITSPLIT_FAILING_MALLOC_PROGRAM}, environment);
    EXPECT_EQ(result.out, failing_call == 0 ? report : "shit\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exit_status, failing_call == 0 ? 0 : 1);
  }
}

TEST(Bitsplit, FailsWhenOutputCannotBeWritten) {
  const Outcome result = run({BITSPLIT_PROGRAM}, current_environment(), "/dev/full");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exit_status, 1);
}

// Nothing from the C++ runtime is loaded, so it starts like a C program.
TEST(Bitsplit, NeedsOnlyTheCLibrary) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
  GTEST_SKIP() << "the sanitizer preset links the sanitizer runtimes into the program";
#endif
  const Outcome result = run({BITSPLIT_READELF, "--dynamic", BITSPLIT_PROGRAM}, {});
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
