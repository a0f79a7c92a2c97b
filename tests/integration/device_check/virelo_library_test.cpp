// The built libvirelo.so as an outside program uses it: each case runs the host program in a
// process of its own (the library reads its environment when it is loaded), on a simulated bus
// described by a scenario file, in virtual time, with the headless transcript.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"

extern char** environ;

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kCreateFailedBox =
    R"(box thread=other owner=none caption="Virelo" text="Can't Create USBIO Instance....." )"
    R"(icon=none buttons=ok answer=ok auto)";

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

struct HostRun {
  int exit_status = -1;
  std::vector<std::string> output;
  std::string errors;
  std::vector<std::string> transcript;
};

class VireloLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("virelo-" + std::to_string(::getpid()) + "-" + test->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // HALCYRA_USB=sim:<a scenario file holding `scenario`>.
  void UseScenario(const std::string& scenario) {
    const std::filesystem::path file = folder_ / "scenario.json";
    std::ofstream(file) << scenario;
    environment_["HALCYRA_USB"] = "sim:" + file.string();
  }

  void Set(const std::string& name, const std::string& value) { environment_[name] = value; }

  HostRun Run(const std::vector<std::string>& actions) {
    const std::filesystem::path output = folder_ / "output.txt";
    const std::filesystem::path errors = folder_ / "errors.txt";
    const std::filesystem::path transcript = folder_ / "transcript.txt";
    std::map<std::string, std::string> environment = InheritedEnvironment();
    environment["TESSALY_UI"] = "headless";
    environment["TESSALY_TRANSCRIPT"] = transcript.string();
    environment["TESSALY_CLOCK"] = "virtual";
    for (const auto& [name, value] : environment_) {
      environment[name] = value;
    }

    std::vector<std::string> arguments{VIRELO_HOST};
    arguments.insert(arguments.end(), actions.begin(), actions.end());
    std::vector<std::string> settings;
    settings.reserve(environment.size());
    for (const auto& [name, value] : environment) {
      settings.push_back(name);
      settings.back().append("=").append(value);
    }

    posix_spawn_file_actions_t files;
    ::posix_spawn_file_actions_init(&files);
    ::posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, output.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errors.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, VIRELO_HOST, &files, nullptr,
                                      Pointers(arguments).data(), Pointers(settings).data());
    ::posix_spawn_file_actions_destroy(&files);
    HostRun run;
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << VIRELO_HOST;
      return run;
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = Lines(ReadFile(output));
    run.errors = ReadFile(errors);
    run.transcript = Lines(ReadFile(transcript));
    return run;
  }

 private:
  // The test's own environment without the variables a case sets itself.
  static std::map<std::string, std::string> InheritedEnvironment() {
    std::map<std::string, std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string setting = *entry;
      const std::size_t equals = setting.find('=');
      const std::string name = setting.substr(0, equals);
      if (name == "HALCYRA_USB" || name == "VIRELO_USBIO" || name == "TESSALY_SCRIPT") {
        continue;
      }
      environment[name] = equals == std::string::npos ? "" : setting.substr(equals + 1);
    }
    return environment;
  }

  static std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts) {
      pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
  }

  std::filesystem::path folder_;
  std::map<std::string, std::string> environment_;
};

TEST_F(VireloLibraryTest, NoDeviceOfTheClassIsNoConsole) {
  UseScenario(R"({"devices": []})");
  const HostRun run = Run({"check"});
  EXPECT_EQ(run.exit_status, 0) << run.errors;
  EXPECT_THAT(run.output, ElementsAre("check -1"));
  EXPECT_THAT(run.transcript, IsEmpty());
}

TEST_F(VireloLibraryTest, ConsoleAloneIsFoundOnEveryCall) {
  // The second call finds the console free again: the first call's instance, which kept it
  // open, was closed and released before the second one opened it.
  Set("HALCYRA_USB", "sim");
  const HostRun run = Run({"check", "check", "check"});
  EXPECT_EQ(run.exit_status, 0) << run.errors;
  EXPECT_THAT(run.output, ElementsAre("check 0", "check 0", "check 0"));
  EXPECT_THAT(run.transcript, IsEmpty());
}

TEST_F(VireloLibraryTest, ConsoleBehindAnotherDeviceIsNotTheFirstDevice) {
  UseScenario(R"({"devices": [{"string2": "USB Keyboard"}, {}]})");
  EXPECT_THAT(Run({"check"}).output, ElementsAre("check -1"));
}

TEST_F(VireloLibraryTest, OnlyTheExactIdentityInDescriptorTwoMakesTheConsole) {
  const std::map<std::string, std::string> answers{
      {R"({"string2": "Halcyra TMX320VC5509 rev B"})", "check 0"},
      {R"({"string2": "tmx320vc5509"})", "check -1"},
      {R"({"string2": "TMX320VC550"})", "check -1"},
      {R"({"string2": ""})", "check -1"},
      {R"({"refuse_open": true})", "check -1"},
  };
  for (const auto& [device, answer] : answers) {
    UseScenario(R"({"devices": [)" + device + "]}");
    EXPECT_THAT(Run({"check"}).output, ElementsAre(answer)) << device;
  }
}

TEST_F(VireloLibraryTest, SearchStepsOverDevicesThatCannotBeUsedAndStaysUsable) {
  // A refused or foreign device before the console: -1 (index 1), and the next call repeats
  // the same search with the same answer.
  UseScenario(R"({"devices": [{"refuse_open": true}, {"string2": "Other"}, {}]})");
  const HostRun run = Run({"check", "check"});
  EXPECT_EQ(run.exit_status, 0) << run.errors;
  EXPECT_THAT(run.output, ElementsAre("check -1", "check -1"));
}

TEST_F(VireloLibraryTest, MissingServerShowsItsBoxOnEveryCall) {
  Set("HALCYRA_USB", "sim");
  Set("VIRELO_USBIO", "missing");
  const HostRun run = Run({"check", "check"});
  EXPECT_EQ(run.exit_status, 0) << run.errors;
  EXPECT_THAT(run.output, ElementsAre("check -1", "check -1"));
  EXPECT_THAT(run.transcript, ElementsAre(kCreateFailedBox, kCreateFailedBox));
}

TEST_F(VireloLibraryTest, UnusableBusChoiceIsReportedAndActsAsMissingServer) {
  Set("HALCYRA_USB", "usb3");
  const HostRun run = Run({"check"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.errors, HasSubstr("HALCYRA_USB"));
  EXPECT_THAT(run.output, ElementsAre("check -1"));
  EXPECT_THAT(run.transcript, ElementsAre(kCreateFailedBox));
}

TEST_F(VireloLibraryTest, UnknownServerChoiceIsReportedAndActsAsMissingServer) {
  Set("HALCYRA_USB", "sim");
  Set("VIRELO_USBIO", "broken");
  const HostRun run = Run({"check"});
  EXPECT_THAT(run.errors, HasSubstr("VIRELO_USBIO=broken"));
  EXPECT_THAT(run.output, ElementsAre("check -1"));
  EXPECT_THAT(run.transcript, ElementsAre(kCreateFailedBox));
}

TEST_F(VireloLibraryTest, ServerErrorInsideTheSearchNeverReachesTheCaller) {
  for (const std::string operation : {"enumerate", "open", "descriptor", "close"}) {
    UseScenario(R"({"devices": [{"string2": "Other"}, {}]})");
    Set("VIRELO_USBIO", "failing:" + operation);
    const HostRun run = Run({"check", "check"});
    EXPECT_EQ(run.exit_status, 0) << operation << ": " << run.errors;
    EXPECT_THAT(run.output, ElementsAre("check -1", "check -1")) << operation;
    EXPECT_THAT(run.errors, HasSubstr("E_FAIL")) << operation;
    EXPECT_THAT(run.transcript, IsEmpty()) << operation;
  }
}

TEST_F(VireloLibraryTest, ThousandCallsKeepFindingTheConsoleWithoutGrowing) {
  // Every call opens the console unshared (an instance kept from an earlier call would make
  // the open shared and the answer -1), and the heap ends where it began.
  constexpr long kLeakBoundPerCall = 8;
  Set("HALCYRA_USB", "sim");
  const HostRun run = Run({"repeat", "1000"});
  ASSERT_EQ(run.exit_status, 0) << run.errors;
  ASSERT_EQ(run.output.size(), 1U);
  long attached = 0;
  long long growth = 0;
  ASSERT_EQ(
      std::sscanf(run.output[0].c_str(), "repeat attached=%ld growth=%lld", &attached, &growth), 2)
      << run.output[0];
  EXPECT_EQ(attached, 1000);
  EXPECT_LT(growth, 1000 * kLeakBoundPerCall);
}

TEST_F(VireloLibraryTest, ComponentEntryPointsServeNoClasses) {
  Set("HALCYRA_USB", "sim");
  const HostRun run =
      Run({"class-object", "can-unload", "register", "check", "can-unload", "unload"});
  EXPECT_EQ(run.exit_status, 0) << run.errors;
  // The USBIO instance the library holds after a check belongs to the server, not the library.
  EXPECT_THAT(run.output, ElementsAre("class-object hr=0x80040111 object=null",
                                      "can-unload hr=0x00000000", "register hr=0x00000000",
                                      "check 0", "can-unload hr=0x00000000", "unload 0"));
}

}  // namespace
