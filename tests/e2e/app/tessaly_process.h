#pragma once

// Runs the built tessaly program as a child process on a sample installation of its own, the
// way the automation contract describes: headless, in virtual time unless told otherwise, with a
// script and a transcript file.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/make_sample_root/sample_root.h"

extern char** environ;

namespace tessaly_e2e {

namespace fs = std::filesystem;

// The caption of the program's own message boxes.
inline constexpr char kProductCaption[] = "Halcyra Software Upgrade";

using Environment = std::map<std::string, std::string>;

struct RunResult {
  int exit_status = -1;
  std::vector<std::string> transcript;
};

inline std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

// The parent's environment with `overrides` on top, as a spawn wants it.
class EnvironmentBlock {
 public:
  explicit EnvironmentBlock(const Environment& overrides) {
    Environment merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      const std::size_t equals = text.find('=');
      if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : overrides) merged[name] = value;
    for (const auto& [name, value] : merged) texts_.push_back(name + "=" + value);
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
  }
  char** Get() { return pointers_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

// A started tessaly; standard output is readable line by line. `working_directory` (when not
// empty) is its current directory, where the program puts files it names without a folder.
class TessalyProcess {
 public:
  explicit TessalyProcess(const Environment& environment, const fs::path& working_directory = {}) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    if (!working_directory.empty()) {
      ::posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
    }
    EnvironmentBlock block(environment);
    std::string program = TESSALY_BINARY;
    char* argv[] = {program.data(), nullptr};
    const int result = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv, block.Get());
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    from_child_ = output[0];
    if (result != 0) throw std::runtime_error("cannot start " + program);
  }
  TessalyProcess(const TessalyProcess&) = delete;
  TessalyProcess& operator=(const TessalyProcess&) = delete;
  ~TessalyProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
    ::close(from_child_);
  }

  // The next line of standard output without its line feed; empty once the output ended.
  std::string ReadLine() {
    std::string line;
    char c = 0;
    while (::read(from_child_, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  // Reads standard output until a line equal to `wanted`; false when the output ended first.
  bool ReadUntil(const std::string& wanted) {
    for (std::string line = ReadLine(); !line.empty(); line = ReadLine()) {
      if (line == wanted) return true;
    }
    return false;
  }

  // True while the process has not ended.
  bool Running() {
    int status = 0;
    if (pid_ <= 0) return false;
    if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
  }

  // The exit status (-1 when it ended by a signal).
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int from_child_ = -1;
};

// A sample installation in a temporary root, and runs of tessaly on it.
class TessalyRoot {
 public:
  explicit TessalyRoot(const sample_root::Options& options = {}) : options_(options) {
    std::string pattern = (fs::temp_directory_path() / "tessaly-e2e-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    path_ = pattern;
    sample_root::WriteSampleRoot(path_, options_);
  }
  TessalyRoot(const TessalyRoot&) = delete;
  TessalyRoot& operator=(const TessalyRoot&) = delete;
  ~TessalyRoot() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }

  const fs::path& Path() const { return path_; }
  const sample_root::Options& Options() const { return options_; }

  // Rewrites the settings file with `change` applied to the sample settings.
  template <typename Change>
  void ChangeSettings(Change&& change) const {
    sample_root::SettingsValues values = sample_root::DefaultSettings(options_);
    change(values);
    sample_root::WriteSettingsFile(path_, values);
  }

  fs::path Firmware(const std::string& name) const {
    return sample_root::FirmwareFolder(path_) / name;
  }

  Environment BaseEnvironment(const std::string& script) const {
    const fs::path script_path = path_ / "script.txt";
    std::ofstream(script_path) << script;
    return {{"TESSALY_ROOT", path_.string()},
            {"TESSALY_UI", "headless"},
            {"TESSALY_CLOCK", "virtual"},
            {"TESSALY_SCRIPT", script_path.string()},
            {"TESSALY_TRANSCRIPT", TranscriptPath().string()},
            {"HALCYRA_USB", "sim"}};
  }

  // Runs tessaly to its end with `script`; `extra` adds or replaces environment variables. The
  // program runs in the root folder, so that runs of parallel tests keep their files apart.
  RunResult Run(const std::string& script, const Environment& extra = {}) const {
    return Finish(*Start(script, extra));
  }
  // Run in two halves, so that several runs can go at once.
  std::unique_ptr<TessalyProcess> Start(const std::string& script,
                                        const Environment& extra = {}) const {
    Environment environment = BaseEnvironment(script);
    for (const auto& [name, value] : extra) environment[name] = value;
    return std::make_unique<TessalyProcess>(environment, path_);
  }
  RunResult Finish(TessalyProcess& process) const {
    RunResult result;
    result.exit_status = process.Wait();
    result.transcript = ReadLines(TranscriptPath());
    return result;
  }

  fs::path TranscriptPath() const { return path_ / "transcript.txt"; }

  // Writes a console scenario that records into RecordPath(); `devices` is the JSON text of the
  // "devices" list. Returns the environment entry that selects it.
  Environment Scenario(const std::string& devices) const {
    const fs::path scenario = path_ / "scenario.json";
    std::ofstream(scenario) << "{\"record\": \"" << RecordPath().string()
                            << "\", \"devices\": " << devices << "}";
    return {{"HALCYRA_USB", "sim:" + scenario.string()}};
  }
  fs::path RecordPath() const { return path_ / "record.txt"; }
  std::vector<std::string> Record() const { return ReadLines(RecordPath()); }

  // The engineering window's status file, whole.
  std::string StatusFile() const {
    std::ifstream file(path_ / "AppData" / "TessalyStatus.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

 private:
  sample_root::Options options_;
  fs::path path_;
};

}  // namespace tessaly_e2e
