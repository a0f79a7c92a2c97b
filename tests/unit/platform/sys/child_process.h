#pragma once

// The probe program (sys_probe.cpp) run as a real second process. It inherits the
// environment, so it sees the test's TESSALY_ROOT.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace platform::testing {

class ChildProcess {
 public:
  explicit ChildProcess(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), TESSALY_SYS_PROBE);
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
      throw std::runtime_error("no pipe");
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int result = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    to_child_ = input[1];
    from_child_ = output[0];
    if (result != 0) throw std::runtime_error("cannot start " + arguments.front());
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (pid_ > 0) Kill();
    ::close(from_child_);
    if (to_child_ >= 0) ::close(to_child_);
  }

  // The next line the child writes, without its line feed; empty once it has ended.
  std::string ReadLine() {
    std::string line;
    char c = 0;
    while (::read(from_child_, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  // Ends the child's input (a holding probe lets go and ends) and returns its exit status.
  int Finish() {
    ::close(to_child_);
    to_child_ = -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void Kill() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_ = 0;
  int to_child_ = -1;
  int from_child_ = -1;
};

// Runs a probe that does not hold anything and returns the line it reports.
inline std::string RunProbe(std::vector<std::string> arguments) {
  ChildProcess child(std::move(arguments));
  std::string line = child.ReadLine();
  child.Finish();
  return line;
}

}  // namespace platform::testing
