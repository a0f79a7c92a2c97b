// Runs the sample program as a child process, headless, in virtual time, with a script, and
// compares the whole transcript and the exit status.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct SampleRun {
  int exit_status = -1;
  std::string transcript;
};

class HeadlessAutomationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tessaly-headless-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs the sample with `script`; the environment is the test's own plus the automation
  // variables.
  SampleRun RunSample(const std::string& script) {
    const fs::path script_path = folder_ / "script.txt";
    const fs::path transcript_path = folder_ / "transcript.txt";
    std::ofstream(script_path) << script;

    std::vector<std::string> variables = {"TESSALY_UI=headless", "TESSALY_CLOCK=virtual",
                                          "TESSALY_SCRIPT=" + script_path.string(),
                                          "TESSALY_TRANSCRIPT=" + transcript_path.string()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string variable = *entry;
      if (variable.rfind("TESSALY_", 0) != 0) {
        variables.push_back(variable);
      }
    }
    std::vector<char*> environment;
    environment.reserve(variables.size() + 1);
    for (std::string& variable : variables) {
      environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
    std::string program = TESSALY_UI_SAMPLE_PROGRAM;
    std::vector<char*> arguments = {program.data(), nullptr};

    SampleRun run;
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments.data(),
                    environment.data()) != 0) {
      ADD_FAILURE() << "cannot start " << program;
      return run;
    }
    int status = 0;
    waitpid(child, &status, 0);
    run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream transcript(transcript_path);
    std::ostringstream text;
    text << transcript.rdbuf();
    run.transcript = text.str();
    return run;
  }

 private:
  fs::path folder_;
};

TEST_F(HeadlessAutomationTest, ScriptDrivesBothDialogsAndTheWorkerAndEndsIdle) {
  const SampleRun run = RunSample(R"(# the main window first
wait dialog 500
dump 0
dump 40
dump 15
click 15
click 10
answer cancel
dump 20
click 11
file "/tmp/sample input.txt"
dump 21
select 30 "Beta"
dump 30
dump 22
click 50
dump 50
click 13
answer ok
wait idle
dump 24
click 12
wait dialog 600
click 610
click 602
sysmenu 61536
click 610
dump 23
click 11
dump 21
click 14
sysmenu 16
)");
  EXPECT_EQ(run.exit_status, 3);
  EXPECT_EQ(run.transcript,
            R"transcript(dialog open 500
window 500 title="Sample Main"
control 40 text="" enabled=1 visible=1 pos=50 range=0..200
control 15 text="Disabled" enabled=0 visible=1
ignored line=6 "control 15 is disabled"
box thread=gui owner=500 caption="Sample" text="Proceed with the\r\n\"sample\"?" icon=question buttons=okcancel answer=cancel
control 20 text="answer 2" enabled=1 visible=1 color=#ff0000
file-dialog filter="Text Files (*.txt)|*.txt|All Files (*.*)|*.*||" answer="/tmp/sample input.txt"
control 21 text="/tmp/sample input.txt" enabled=1 visible=1
control 30 text="Beta" enabled=1 visible=1 sel=1 items="Alpha|Beta|Gamma"
control 22 text="chose Beta" enabled=1 visible=1
control 50 text="Verbose" enabled=1 visible=1 check=1
box thread=worker owner=none caption="Sample Worker" text="Worker says hi" icon=error buttons=ok answer=ok
control 24 text="worker answered 1" enabled=1 visible=1
dialog open 600
box thread=gui owner=600 caption="Sample" text="Choose one of the listed options and then click Next" icon=none buttons=ok answer=ok auto
ignored line=26 "the system menu offers no enabled item 61536"
dialog close 600 result=2
box thread=gui owner=500 caption="Sample" text="You chose option 1" icon=information buttons=ok answer=ok auto
control 23 text="options result 2 choice 1" enabled=1 visible=1
file-dialog filter="Text Files (*.txt)|*.txt|All Files (*.*)|*.*||" answer=cancel auto
control 21 text="(cancelled)" enabled=1 visible=1
shell open "C:\\Sample\\Trouble.html"
box thread=gui owner=500 caption="Sample" text="Sample 1.0" icon=information buttons=ok answer=ok auto
idle
)transcript");
}

TEST_F(HeadlessAutomationTest, CloseEndsDialogsAndTheProgramReportsItsExit) {
  const SampleRun run = RunSample(R"(wait dialog 500
click 12
wait dialog 600
close
dump 23
click 13
pause 1000
dump 24
close
)");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.transcript,
            R"(dialog open 500
dialog open 600
dialog close 600 result=2
control 23 text="options result 2 choice -1" enabled=1 visible=1
box thread=worker owner=none caption="Sample Worker" text="Worker says hi" icon=error buttons=ok answer=ok auto
control 24 text="worker answered 1" enabled=1 visible=1
dialog close 500 result=1
exit code=0
)");
}

TEST_F(HeadlessAutomationTest, BoxesThatOpenDuringPauseOrWaitAreLeftForTheAnswerThatFollows) {
  const SampleRun run = RunSample(R"(wait dialog 500
click 13
pause 1000
answer ok
dump 24
click 11
pause 10
file "/tmp/sample input.txt"
click 17
wait idle
answer cancel
dump 701
click 1
click 1
)");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.transcript,
            R"transcript(dialog open 500
box thread=worker owner=none caption="Sample Worker" text="Worker says hi" icon=error buttons=ok answer=ok
control 24 text="worker answered 1" enabled=1 visible=1
file-dialog filter="Text Files (*.txt)|*.txt|All Files (*.*)|*.*||" answer="/tmp/sample input.txt"
dialog open 700
box thread=gui owner=700 caption="Sample" text="Say hello?" icon=none buttons=okcancel answer=cancel
control 701 text="no greeting" enabled=1 visible=1
dialog close 700 result=1
dialog close 500 result=1
exit code=0
)transcript");
}

TEST_F(HeadlessAutomationTest, BoxOfTheAwaitedDialogsInitialisationIsLeftForTheNextCommand) {
  // The box opens right after the dialog; however soon the driver wakes, the dialog counts as
  // the awaited one and the box goes to the next command. Several runs give the race a chance.
  constexpr int kRuns = 10;
  for (int run_number = 0; run_number < kRuns; ++run_number) {
    const SampleRun run = RunSample(
        "wait dialog 500\nclick 17\nwait dialog 700\nanswer ok\n"
        "dump 701\nclick 1\nclick 1\n");
    ASSERT_EQ(run.exit_status, 0) << run.transcript;
    ASSERT_EQ(run.transcript,
              "dialog open 500\ndialog open 700\n"
              "box thread=gui owner=700 caption=\"Sample\" text=\"Say hello?\" icon=none "
              "buttons=okcancel answer=ok\n"
              "control 701 text=\"hello\" enabled=1 visible=1\n"
              "dialog close 700 result=1\ndialog close 500 result=1\nexit code=0\n");
  }
}

TEST_F(HeadlessAutomationTest, ScriptMistakesEndTheRunWithTheirLine) {
  const SampleRun unanswerable = RunSample("wait dialog 500\nanswer ok\n");
  EXPECT_EQ(unanswerable.exit_status, 4);
  EXPECT_EQ(unanswerable.transcript, "dialog open 500\nerror line=2 \"no message box is open\"\n");

  const SampleRun missing = RunSample("dump 4242\n");
  EXPECT_EQ(missing.exit_status, 4);
  EXPECT_EQ(missing.transcript,
            "dialog open 500\nerror line=1 \"dialog 500 has no control 4242\"\n");

  const SampleRun unreadable = RunSample("click 1\nselect 30 Beta\n");
  EXPECT_EQ(unreadable.exit_status, 2) << "the program refuses to start";
  EXPECT_EQ(unreadable.transcript,
            "error line=2 \"select needs a control id and a quoted item text\"\n");
}

TEST_F(HeadlessAutomationTest, TimeReadsTheProgramsClockAndDumpShowsADroppedList) {
  const SampleRun run = RunSample(R"(wait dialog 500
time
click 19
wait idle
time
dump 25
pause 250
time
click 13
time               # the worker's box stays open for the answer that follows
answer ok
click 18
dump 30
select 30 "Gamma"
dump 30
close
)");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.transcript,
            R"transcript(dialog open 500
time ms=0
time ms=300
control 25 text="delay over" enabled=1 visible=1
time ms=550
time ms=550
box thread=worker owner=none caption="Sample Worker" text="Worker says hi" icon=error buttons=ok answer=ok
control 30 text="" enabled=1 visible=1 sel=-1 items="Alpha|Beta|Gamma" dropped=1
control 30 text="Gamma" enabled=1 visible=1 sel=2 items="Alpha|Beta|Gamma"
dialog close 500 result=1
exit code=0
)transcript");
}

TEST_F(HeadlessAutomationTest, NowLooksAtTheProgramWhileItsTimerStillRuns) {
  const SampleRun run = RunSample(R"(wait dialog 500
click 19
pause 100
time now
dump 25 now
time
dump 25
close
)");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.transcript,
            R"transcript(dialog open 500
time ms=100
control 25 text="" enabled=1 visible=1
time ms=300
control 25 text="delay over" enabled=1 visible=1
dialog close 500 result=1
exit code=0
)transcript");
}

TEST_F(HeadlessAutomationTest, ClickAndSelectNowActWhileTheProgramsTimerStillRuns) {
  const SampleRun run = RunSample(R"(wait dialog 500
click 19
pause 100
click 50 now
select 30 "Beta" now
click 15 now       # a person still cannot use a disabled button
time now
dump 50 now
dump 22 now
dump 25 now
time
dump 25
close
)");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.transcript,
            R"transcript(dialog open 500
ignored line=6 "control 15 is disabled"
time ms=100
control 50 text="Verbose" enabled=1 visible=1 check=1
control 22 text="chose Beta" enabled=1 visible=1
control 25 text="" enabled=1 visible=1
time ms=300
control 25 text="delay over" enabled=1 visible=1
dialog close 500 result=1
exit code=0
)transcript");
}

}  // namespace
