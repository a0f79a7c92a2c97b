// make_sample_root as a user starts it: asking for help, or an option where the folder belongs,
// prints the usage and writes nothing.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exit_status = -1;
  std::string out;
  std::string err;
};

class CommandLineTest : public testing::Test {
 protected:
  CommandLineTest() : base_(fs::temp_directory_path() / ("make_sample_root_cli_" + Unique())) {
    fs::create_directories(work_);
    fs::create_directories(output_);
  }
  ~CommandLineTest() override { fs::remove_all(base_); }
  CommandLineTest(const CommandLineTest&) = delete;
  CommandLineTest& operator=(const CommandLineTest&) = delete;

  // Runs the program in an empty working folder.
  Outcome RunWith(const std::string& arguments) const {
    const std::string command = "cd '" + work_.string() + "' && '" MAKE_SAMPLE_ROOT_BINARY "' " +
                                arguments + " >'" + (output_ / "out").string() + "' 2>'" +
                                (output_ / "err").string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(output_ / "out"),
            Read(output_ / "err")};
  }

  const fs::path& WorkFolder() const { return work_; }
  bool NothingWritten() const { return fs::is_empty(work_); }

 private:
  static std::string Unique() {
    return std::to_string(::getpid()) + "_" +
           testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  static std::string Read(const fs::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  fs::path base_;
  fs::path work_ = base_ / "work";
  fs::path output_ = base_ / "output";
};

TEST_F(CommandLineTest, HelpPrintsTheUsageAndWritesNothing) {
  for (const std::string help : {"--help", "-h"}) {
    const Outcome run = RunWith(help);
    EXPECT_EQ(run.exit_status, EXIT_SUCCESS) << help;
    EXPECT_TRUE(run.out.starts_with("usage: make_sample_root <root folder>")) << help;
    EXPECT_TRUE(NothingWritten()) << help;
  }
}

TEST_F(CommandLineTest, AnOptionWhereTheFolderBelongsIsRefusedAndNothingIsWritten) {
  for (const std::string arguments : {"--mode VARSOLIN", "-x", "--version"}) {
    const Outcome run = RunWith(arguments);
    EXPECT_EQ(run.exit_status, EXIT_FAILURE) << arguments;
    EXPECT_TRUE(run.err.starts_with("usage: make_sample_root")) << arguments;
    EXPECT_TRUE(NothingWritten()) << arguments;
  }
}

TEST_F(CommandLineTest, AFolderThatStartsWithADashIsGivenWithItsPath) {
  const Outcome run = RunWith("./-root");
  EXPECT_EQ(run.exit_status, EXIT_SUCCESS) << run.err;
  EXPECT_TRUE(fs::is_directory(WorkFolder() / "-root" / "Windows"));
}

}  // namespace
