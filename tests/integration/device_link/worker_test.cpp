// The worker thread against simulated consoles, with the test thread playing the main window:
// each job kind, its answers, its boxes, and how the worker survives failures.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "platform/ui/ui_constants.h"
#include "tests/integration/device_link/link_fixture.h"

namespace link_test {
namespace {

using platform::BYTE;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

constexpr platform::Millis kJobTime = 60000;

Received Reply(platform::WPARAM wParam, platform::LPARAM lParam) {
  return Received{WM_UPG_REPLY, wParam, lParam};
}

_STRUCT_THREAD_TASK Task(int kind, int command = kNoTaskCommand, std::string path = {}) {
  _STRUCT_THREAD_TASK task;
  task.nTaskKind = kind;
  task.nCommand = command;
  task.strFilePath = std::move(path);
  return task;
}

// The test thread as the main window of one worker.
class WorkerSession {
 public:
  WorkerSession() : worker_(CUpGradeThread::BeginSuspended(main.GetSafeHwnd())) {
    main.forward_reads_to = worker_->ThreadId();
    end_ = worker_->End();
  }
  WorkerSession(const WorkerSession&) = delete;
  WorkerSession& operator=(const WorkerSession&) = delete;
  ~WorkerSession() {
    if (!end_->IsFinished()) {
      platform::PostThreadMessage(main.forward_reads_to, WM_UPG_END_THREAD, 0, 0);
    }
    // Also for a worker that ended by itself: its thread is gone before the test ends.
    EXPECT_TRUE(end_->WaitFor(platform::GetClock().Now() + kJobTime));
  }

  CUpGradeThread& Worker() { return *worker_; }
  bool Ended() const { return end_->IsFinished(); }

  // Hands the job over as the main window does and lets both threads run until the worker is
  // idle again.
  void Run(const _STRUCT_THREAD_TASK& task) {
    worker_->SetThreadTask(task);
    Start();
  }
  void RunWithPayload(int command, std::vector<BYTE> payload) {
    worker_->m_nTaskKind = TASK_SEND_COMMAND;
    worker_->m_nTaskCommand = command;
    worker_->m_arrTaskPayload = std::move(payload);
    worker_->m_bTaskHasPayload = 1;
    Start();
  }
  void Start() {
    HandOver();
    worker_->ResumeThread();
    PumpFor(kJobTime);
  }
  // The job in the worker's fields goes to the worker as the main window hands it over.
  void HandOver() {
    worker_->HandOverJob();
    worker_->PostThreadMessage(WM_UPG_RUN_TASK, 0, 0);
  }

  MainWindowStub main;

 private:
  CUpGradeThread* worker_;
  std::shared_ptr<platform::ThreadEnd> end_;
};

class WorkerTest : public LinkTest {
 protected:
  void WithWorker(const std::function<void(WorkerSession& session)>& body) {
    RunAsPlatformThread([&] {
      WorkerSession session;
      body(session);
    });
  }

  std::vector<std::string> BoxTexts() const { return boxes_->Texts(); }
};

TEST_F(WorkerTest, ACommandIsAnsweredAndItsReplyHandedOutUntilTheNextOne) {
  Attach({});
  app_.m_nDeviceNo = -3;
  WithWorker([&](WorkerSession& session) {
    std::vector<BYTE> reply = {7};
    BYTE verified = 7;
    EXPECT_EQ(session.Worker().GetRecData(reply, verified), -1);
    EXPECT_THAT(reply, ElementsAre(7));

    // Taken while the worker waits for the reply message to return.
    session.main.on_message = [&](const Received& entry) {
      if (entry.message == WM_UPG_REPLY) {
        EXPECT_EQ(session.Worker().GetRecData(reply, verified), 0);
      }
    };
    session.Run(Task(TASK_SEND_COMMAND, 0xD002));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
    ASSERT_EQ(reply.size(), 64U);
    EXPECT_THAT(std::vector<BYTE>(reply.begin(), reply.begin() + 4),
                ElementsAre(0xD1, 0x02, 0x11, 0x15));
    EXPECT_EQ(verified, 1);

    session.main.on_message = {};
    session.Run(Task(TASK_IDENTIFY_DEVICE));
    std::vector<BYTE> again;
    EXPECT_EQ(session.Worker().GetRecData(again, verified), 0);
    EXPECT_EQ(again, reply);
  });
  EXPECT_EQ(app_.m_nDeviceNo, 0);
  EXPECT_EQ(app_.m_bControlTransport, 1);
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

TEST_F(WorkerTest, ACommandWithAPayloadGoesOutOnTheServerPathToo) {
  Attach({});
  app_.m_nDeviceNo = 0;
  app_.m_bControlTransport = 0;
  WithWorker([&](WorkerSession& session) {
    session.RunWithPayload(0xD015, {0x01, 0x00});
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
    std::vector<BYTE> reply;
    BYTE verified = 0;
    EXPECT_EQ(session.Worker().GetRecData(reply, verified), 0);
    EXPECT_EQ(verified, 1);
  });
  EXPECT_THAT(ConsoleAt(0).Received(), ElementsAre("request 0xD015 payload=\"01 00\""));
}

TEST_F(WorkerTest, AReplyWithAnotherCodeIsStillAnsweredButNotVerified) {
  console_sim::DeviceScenario console;
  console.faults.push_back({0xD0AA, console_sim::FaultKind::kWrongCode, 1, 0});
  Attach(console);
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_COMMAND, 0xD0AA));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
    std::vector<BYTE> reply;
    BYTE verified = 9;
    EXPECT_EQ(session.Worker().GetRecData(reply, verified), 0);
    EXPECT_EQ(verified, 0);
  });
}

TEST_F(WorkerTest, EachJobThatFindsNoConsoleSaysSoInItsOwnWords) {
  Attach(ForeignDevice());
  app_.m_nDeviceNo = -2;
  app_.m_bControlTransport = 0;
  const std::string image = WriteFile("dsp.bin", FileBytes(100));
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_COMMAND, 0xD002));
    session.RunWithPayload(0xD015, {1, 0});
    session.Run(Task(TASK_RESET_DEVICE));
    app_.m_bControlTransport = 1;
    session.Run(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, image));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), IsEmpty());
    EXPECT_THAT(session.main.Of(WM_UPG_FILE_PROGRESS), IsEmpty());
    EXPECT_THAT(session.main.Of(WM_UPG_DSP_FILE_SENT), IsEmpty());
  });
  EXPECT_THAT(BoxTexts(), ElementsAre("There is no USB connection to Halcyra ::SendUSBCommand",
                                      "There is no USB connection to Halcyra ",
                                      "There is no USB connection to Halcyra ::ResetUSBDevice",
                                      "There is no USB connection to Halcyra"));
  for (const ShownBox& box : boxes_->Boxes()) {
    EXPECT_EQ(box.caption, "Halcyra Upgrade");
    EXPECT_EQ(box.flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    EXPECT_EQ(box.owner, nullptr);
  }
  EXPECT_EQ(app_.m_bControlTransport, 1);
  EXPECT_THAT(SpyAt(0).Writes(kCommandOut), IsEmpty());
}

TEST_F(WorkerTest, IdentifyAndResetReportTheirResults) {
  Attach(ForeignDevice());
  Attach({});
  app_.m_nDeviceNo = -3;
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_IDENTIFY_DEVICE));
    session.Run(Task(TASK_RESET_DEVICE));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(1, 1), Reply(1, 1)));
  });
  EXPECT_EQ(app_.m_nDeviceNo, 1);
  EXPECT_THAT(ConsoleAt(1).Received(), ElementsAre("reset"));
}

TEST_F(WorkerTest, IdentifyWithoutAConsoleReportsTheDeviceNumberItHadBefore) {
  Attach(ForeignDevice());
  app_.m_nDeviceNo = 5;
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_IDENTIFY_DEVICE));
    app_.m_bControlTransport = 0;
    app_.m_nDeviceNo = -3;
    session.Run(Task(TASK_IDENTIFY_DEVICE));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY),
                ElementsAre(Reply(5, 0), Reply(static_cast<platform::WPARAM>(-3), 0)));
  });
  EXPECT_EQ(app_.m_nDeviceNo, -3);
}

TEST_F(WorkerTest, AResetThatFailsSaysSoAndSendsNoReply) {
  Attach({});
  app_.m_nDeviceNo = 4;  // no device there: the control cannot open it
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_RESET_DEVICE));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), IsEmpty());
  });
  EXPECT_THAT(BoxTexts(), ElementsAre("Device Reset Failed!"));
}

TEST_F(WorkerTest, ACommandJobWithoutACommandIsRefusedAndTheWorkerGoesOn) {
  Attach({});
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_COMMAND));
    EXPECT_THAT(session.main.received, IsEmpty());
    session.Run(Task(TASK_SEND_COMMAND, 0xD0AA));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
  });
  ASSERT_EQ(boxes_->Boxes().size(), 1U);
  const ShownBox box = boxes_->Boxes()[0];
  EXPECT_EQ(box.text, "Please Set Thread Command First!");
  EXPECT_EQ(box.caption, "Halcyra Upgrade");
  EXPECT_EQ(box.flags, platform::MB_OK | platform::MB_ICONERROR);
  EXPECT_THAT(ConsoleAt(0).Received(), ElementsAre("request 0xD0AA payload=\"\""));
}

TEST_F(WorkerTest, AWorkerStartedWithoutAJobSaysSoAndEnds) {
  Attach({});
  WithWorker([&](WorkerSession& session) {
    session.Start();
    EXPECT_TRUE(session.Ended());
  });
  EXPECT_THAT(BoxTexts(), ElementsAre("Please Set Thread Task First"));
}

TEST_F(WorkerTest, FileJobsStreamReportAndTellWhichImageWasSent) {
  Attach({});
  app_.m_nDeviceNo = -3;
  const std::string image = WriteFile("dsp.bin", FileBytes(2432));
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, image));
    EXPECT_THAT(session.main.received, ElementsAre(Received{WM_UPG_FILE_PROGRESS, 2, 2432},
                                                   Received{WM_UPG_FILE_PROGRESS, 0, 1216},
                                                   Received{WM_UPG_FILE_PROGRESS, 0, 2432},
                                                   Received{WM_UPG_FILE_PROGRESS, 0, 2432},
                                                   Received{WM_UPG_FILE_PROGRESS, 1, 2432},
                                                   Received{WM_UPG_DSP_FILE_SENT, 0, 0}));
    EXPECT_EQ(app_.m_bSendingDSPFile, 1);
    EXPECT_EQ(app_.m_bControlTransport, 1);

    // The main window clears the flags; one left set makes its message go again.
    session.main.received.clear();
    session.Run(Task(TASK_SEND_CPLD_FILE, kNoTaskCommand, image));
    app_.m_bSendingDSPFile = 0;
    session.Run(Task(TASK_SEND_CVM_FILE, kNoTaskCommand, image));
    session.Run(Task(TASK_SEND_BOOTBLOCK_FILE, kNoTaskCommand, image));
    EXPECT_THAT(session.main.Of(WM_UPG_DSP_FILE_SENT),
                ElementsAre(Received{WM_UPG_DSP_FILE_SENT, 0, 0}));
    EXPECT_EQ(session.main.Count(WM_UPG_CVM_FILE_SENT), 2U);
    EXPECT_EQ(session.main.Count(WM_UPG_BOOTBLOCK_FILE_SENT), 1U);
    const auto& last = session.main.received;
    ASSERT_GE(last.size(), 2U);
    EXPECT_EQ(last[last.size() - 2].message, WM_UPG_BOOTBLOCK_FILE_SENT);
    EXPECT_EQ(last.back().message, WM_UPG_CVM_FILE_SENT);

    // Commands go through the control again after the downloads.
    session.main.received.clear();
    session.Run(Task(TASK_SEND_COMMAND, 0xD002));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
  });
  EXPECT_EQ(app_.m_bControlTransport, 1);
  const std::vector<std::string> record = ConsoleAt(0).Received();
  EXPECT_EQ(
      std::count_if(record.begin(), record.end(),
                    [](const std::string& line) { return line.starts_with("file bytes=2432"); }),
      4);
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

TEST_F(WorkerTest, AJobHandedOverDuringAnotherWaitsItsTurnAndChangesNothingOfIt) {
  Attach({});
  app_.m_nDeviceNo = -3;
  const std::vector<std::uint8_t> first = FileBytes(2432);
  const std::vector<std::uint8_t> second = FileBytes(640);
  const std::string first_path = WriteFile("first.bin", first);
  const std::string second_path = WriteFile("second.bin", second);
  WithWorker([&](WorkerSession& session) {
    bool handed_over = false;
    session.main.on_message = [&](const Received& entry) {
      if (entry.message != WM_UPG_FILE_PROGRESS || handed_over) return;
      handed_over = true;
      // While the first download runs: the next job, then the fields already rewritten for
      // one after it that is never handed over.
      session.Worker().SetThreadTask(Task(TASK_SEND_CPLD_FILE, kNoTaskCommand, second_path));
      session.HandOver();
      session.Worker().SetThreadTask(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, MissingFile()));
    };
    session.Run(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, first_path));
    EXPECT_TRUE(handed_over);
  });
  const std::vector<std::string> record = ConsoleAt(0).Received();
  std::vector<std::string> streams;
  std::copy_if(record.begin(), record.end(), std::back_inserter(streams),
               [](const std::string& line) { return line.starts_with("file "); });
  EXPECT_THAT(streams, ElementsAre("file bytes=2432 sha256=" + Sha256Of(first),
                                   "file bytes=640 sha256=" + Sha256Of(second)));
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

TEST_F(WorkerTest, JobsHandedOverBeforeTheWorkerRunsEachRunWithTheirOwnValues) {
  Attach({});
  app_.m_nDeviceNo = -3;
  WithWorker([&](WorkerSession& session) {
    session.Worker().SetThreadTask(Task(TASK_SEND_COMMAND, 0xD002));
    session.HandOver();
    session.Worker().m_nTaskCommand = 0xD013;
    session.Worker().m_arrTaskPayload = {0x01};
    session.Worker().m_bTaskHasPayload = 1;
    session.HandOver();
    session.Worker().SetThreadTask(Task(TASK_SEND_COMMAND, 0xD004));
    session.Worker().ResumeThread();
    PumpFor(kJobTime);
    // 0xD013 went out before 0xD002's reply was read: that reply is dropped as late.
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
    EXPECT_EQ(session.Worker().m_arrReply.at(1), 0x13);
  });
  const std::vector<std::string> record = ConsoleAt(0).Received();
  std::vector<std::string> requests;
  std::copy_if(record.begin(), record.end(), std::back_inserter(requests),
               [](const std::string& line) { return line.starts_with("request "); });
  EXPECT_THAT(requests,
              ElementsAre("request 0xD002 payload=\"\"", "request 0xD013 payload=\"01\""));
}

TEST_F(WorkerTest, AReadCompleteThatFindsNoReportSendsNoReply) {
  Attach({});
  app_.m_nDeviceNo = -3;
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_COMMAND, 0xD002));
    ASSERT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
    const std::vector<BYTE> taken = session.Worker().m_arrReply;
    // A second notice for the report already taken.
    session.Worker().PostThreadMessage(WM_UPG_READ_COMPLETE, 0, 0);
    PumpFor(kJobTime);
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
    EXPECT_EQ(session.Worker().m_arrReply, taken);
  });
}

TEST_F(WorkerTest, ADownloadThatFailedIsNotReportedByTheNextOne) {
  Attach({});
  const std::string cpld = WriteFile("cpld.xsvf", FileBytes(100));
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, MissingFile()));
    EXPECT_EQ(app_.m_bSendingDSPFile, 0);
    session.Run(Task(TASK_SEND_CPLD_FILE, kNoTaskCommand, cpld));
    EXPECT_THAT(session.main.Of(WM_UPG_FILE_PROGRESS), Not(IsEmpty()));
    EXPECT_THAT(session.main.Of(WM_UPG_DSP_FILE_SENT), IsEmpty());
  });
}

TEST_F(WorkerTest, AFileThatCannotBeOpenedIsNotReportedAsSent) {
  Attach({});
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, MissingFile()));
    EXPECT_THAT(session.main.Of(WM_UPG_FILE_PROGRESS), IsEmpty());
    EXPECT_THAT(session.main.Of(WM_UPG_DSP_FILE_SENT), IsEmpty());
  });
  EXPECT_EQ(app_.m_bControlTransport, 1);
  EXPECT_THAT(SpyAt(0).Writes(kFileOut), IsEmpty());
}

TEST_F(WorkerTest, AComErrorEndsTheJobWithABoxAndTheWorkerGoesOn) {
  Attach({});
  app_.m_nDeviceNo = 7;  // nothing there: the server refuses to configure it
  app_.m_bControlTransport = 0;
  const std::string image = WriteFile("dsp.bin", FileBytes(100));
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_COMMAND, 0xD002));
    app_.m_bControlTransport = 1;
    session.Run(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, image));
    EXPECT_THAT(session.main.received, IsEmpty());
    EXPECT_EQ(app_.m_bControlTransport, 1);

    std::vector<BYTE> reply;
    BYTE verified = 0;
    EXPECT_EQ(session.Worker().GetRecData(reply, verified), -1);
    app_.m_nDeviceNo = 0;
    session.Run(Task(TASK_SEND_COMMAND, 0xD002));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
  });
  EXPECT_THAT(
      BoxTexts(),
      ElementsAre(
          AllOf(StartsWith("Exception catched in SendUSBCommand\n"), HasSubstr("0x80042001")),
          AllOf(StartsWith("Exception catched in SendUSBFirmWare\n"), HasSubstr("0x80042001"))));
}

TEST_F(WorkerTest, WithoutTheServerTheControlStillCarriesCommands) {
  Attach({});
  server_.reset();
  app_.m_nDeviceNo = 0;
  const std::string image = WriteFile("dsp.bin", FileBytes(100));
  WithWorker([&](WorkerSession& session) {
    session.Run(Task(TASK_SEND_COMMAND, 0xD002));
    EXPECT_THAT(session.main.Of(WM_UPG_REPLY), ElementsAre(Reply(0, 0)));
    session.Run(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, image));
    EXPECT_THAT(session.main.Of(WM_UPG_FILE_PROGRESS), IsEmpty());
  });
  EXPECT_EQ(app_.m_bControlTransport, 1);
  EXPECT_THAT(BoxTexts(),
              ElementsAre("Can't Create USBIO Instance.....", "Can't Create USBIO Instance.....",
                          "Can't Create USBIO Instance.....",
                          AllOf(StartsWith("Exception catched in SendUSBFirmWare\n"),
                                HasSubstr("E_POINTER"))));
  EXPECT_EQ(boxes_->Boxes()[0].flags, platform::MB_OK | platform::MB_ICONERROR);
}

TEST_F(WorkerTest, ADownloadStopsOnceTheMainWindowHasGoneAndTheWorkerEnds) {
  Attach({});
  const std::string image = WriteFile("dsp.bin", FileBytes(5000));
  WithWorker([&](WorkerSession& session) {
    session.main.on_message = [&](const Received& entry) {
      if (entry.message == WM_UPG_FILE_PROGRESS && entry.wParam == 0) {
        session.main.DestroyHandle();
      }
    };
    session.Run(Task(TASK_SEND_DSP_FILE, kNoTaskCommand, image));
  });
  EXPECT_EQ(SpyAt(0).Writes(kFileOut).size(), 19U);
}

TEST_F(WorkerTest, TheThreadTestAnswersAndEndsTheLoop) {
  Attach({});
  WithWorker([&](WorkerSession& session) {
    session.Worker().SetThreadTask(Task(TASK_NONE + 1));
    session.Worker().PostThreadMessage(WM_UPG_TEST_THREAD, 0, 0);
    session.Start();
    EXPECT_THAT(session.main.Of(WM_UPG_TEST_DLG), ElementsAre(Received{WM_UPG_TEST_DLG, 0, 0}));
    EXPECT_TRUE(session.Ended());
  });
  EXPECT_THAT(BoxTexts(), ElementsAre("Test Thread Comm"));
}

}  // namespace
}  // namespace link_test
