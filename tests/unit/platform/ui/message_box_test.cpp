// Message boxes, the file dialog and the shell through the UI port: modal on the calling thread
// only, with owner, caption and thread as the backend sees them.

#include <gtest/gtest.h>

#include <atomic>

#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/thread/win_thread.h"
#include "platform/thread/window.h"
#include "platform/ui/dialog.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell.h"
#include "tests/unit/platform/ui/ui_test_support.h"

namespace {

using namespace platform;
using tessaly_test::MakeTemplate;

constexpr UINT_PTR kTick = 1;
constexpr UINT kTickInterval = 100;

// Counts its timer ticks and runs an optional hook on each.
class TickingWindow : public Window {
 public:
  std::function<void(int)> on_tick;
  int ticks = 0;

  LRESULT WindowProc(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) override {
    if (message == WM_TIMER) {
      ++ticks;
      if (on_tick) {
        on_tick(ticks);
      }
    }
    return 0;
  }
};

class BoxOnWorker : public WinThread {
 public:
  BoxOnWorker() { m_bAutoDelete = FALSE; }

  std::atomic<int> result = -1;

  BOOL InitInstance() override {
    result = MessageBox(nullptr, "Please Set Thread Task First", "Halcyra Upgrade",
                        MB_OKCANCEL | MB_ICONERROR);
    return FALSE;
  }
};

constexpr UINT kEndNow = WM_USER + 20;

// Shows a box in InitInstance; a thread message ends the thread from inside the box's loop.
class EndsInsideBox : public WinThread {
 public:
  EndsInsideBox() { m_bAutoDelete = FALSE; }

  std::atomic<bool> box_returned = false;

  BOOL InitInstance() override {
    MessageBox(nullptr, "There is no USB connection to Halcyra", "Halcyra Upgrade",
               MB_OK | MB_ICONINFORMATION);
    box_returned = true;
    return FALSE;
  }
  void DispatchThreadMessage(const Msg& message) override {
    if (message.message == kEndNow) {
      EndThread(0);
    }
  }
};

using MessageBoxTest = tessaly_test::UiTest;

TEST_F(MessageBoxTest, BoxOnTheWorkerBlocksOnlyTheWorker) {
  TickingWindow gui_window;
  gui_window.CreateHandle();
  gui_window.SetTimer(kTick, kTickInterval);

  BoxOnWorker worker;
  const auto worker_end = worker.End();
  worker.CreateThread();
  // The GUI thread runs on: five ticks after the box appeared, the worker still waits in it.
  int ticks_when_box_seen = -1;
  RunModalLoop([&] {
    if (ticks_when_box_seen < 0 && !Backend().Boxes().empty()) {
      ticks_when_box_seen = gui_window.ticks;
    }
    return ticks_when_box_seen >= 0 && gui_window.ticks >= ticks_when_box_seen + 5;
  });
  EXPECT_FALSE(worker_end->IsFinished());
  EXPECT_EQ(worker.result, -1);

  const auto box = Backend().Boxes().at(0);
  EXPECT_EQ(box.request.thread, ThreadRole::kWorker);
  EXPECT_FALSE(box.request.owner_template.has_value());
  EXPECT_EQ(box.request.caption, "Halcyra Upgrade");
  box.answer(IDCANCEL);
  EXPECT_TRUE(worker_end->WaitFor(std::nullopt));
  EXPECT_EQ(worker.result, IDCANCEL);
  gui_window.DestroyHandle();
}

TEST_F(MessageBoxTest, AThreadThatEndsInsideItsBoxTakesTheBoxAway) {
  EndsInsideBox worker;
  const auto worker_end = worker.End();
  worker.CreateThread();
  Sleep(100);  // time moves only once the worker waits in its box
  ASSERT_EQ(Backend().Boxes().size(), 1U);

  worker.PostThreadMessage(kEndNow, 0, 0);
  ASSERT_TRUE(worker_end->WaitFor(std::nullopt));
  EXPECT_FALSE(worker.box_returned);
  EXPECT_EQ(Backend().Withdrawn(), std::vector<std::uint64_t>{Backend().Boxes()[0].request.id});
}

TEST_F(MessageBoxTest, BoxOnTheGuiThreadKeepsItsTimersRunning) {
  TickingWindow window;
  window.CreateHandle();
  window.SetTimer(kTick, kTickInterval);
  window.on_tick = [&](int ticks) {
    if (ticks == 3) {
      Backend().Boxes().at(0).answer(IDOK);
    }
  };
  const Millis start = GetClock().Now();
  EXPECT_EQ(MessageBox(nullptr, "text", "caption", MB_OK), IDOK);
  EXPECT_EQ(GetClock().Now() - start, 3 * kTickInterval);
  EXPECT_EQ(Backend().Boxes().at(0).request.thread, ThreadRole::kGui);
  window.DestroyHandle();
}

TEST_F(MessageBoxTest, FrameworkBoxUsesTheTitleAndTheActiveDialogAsOwner) {
  Backend().AnswerBoxesWith(IDOK);
  SetApplicationTitle("Halcyra Software Upgrade");
  EXPECT_EQ(AfxMessageBox("no dialog yet"), IDOK);

  class AsksOnInit : public Dialog {
   public:
    AsksOnInit() : Dialog(MakeTemplate(500, {})) {}

   protected:
    BOOL OnInitDialog() override {
      AfxMessageBox("exception catched in OnInitDialog", MB_ICONSTOP);
      MessageBox("member box");
      EndDialog(IDOK);
      return TRUE;
    }
  } dialog;
  dialog.DoModal();

  const auto boxes = Backend().Boxes();
  ASSERT_EQ(boxes.size(), 3U);
  EXPECT_FALSE(boxes[0].request.owner_template.has_value());
  EXPECT_EQ(boxes[0].request.caption, "Halcyra Software Upgrade");
  EXPECT_EQ(boxes[1].request.owner_template, 500U);
  EXPECT_EQ(boxes[1].request.flags, MB_ICONSTOP);
  EXPECT_EQ(boxes[2].request.owner_template, 500U);
  EXPECT_EQ(boxes[2].request.caption, "Halcyra Software Upgrade");
}

TEST_F(MessageBoxTest, QuitWhileABoxIsOpenWithdrawsIt) {
  TickingWindow window;
  window.CreateHandle();
  window.SetTimer(kTick, kTickInterval);
  window.on_tick = [](int /*ticks*/) { PostQuitMessage(3); };
  EXPECT_EQ(MessageBox(nullptr, "text", "caption", MB_OK), 0);
  ASSERT_EQ(Backend().Boxes().size(), 1U);
  EXPECT_EQ(Backend().Withdrawn(), std::vector<std::uint64_t>{Backend().Boxes()[0].request.id});
  window.DestroyHandle();
  Msg message;
  EXPECT_FALSE(GetMessage(message));
}

TEST_F(MessageBoxTest, FileDialogGivesThePathOrCancel) {
  constexpr std::string_view kFilter = "CVM Firmware Files (*.hex)|*.hex|All Files (*.*)|*.*||";
  Backend().AnswerFilesWith("/tmp/images/radio.hex");
  FileDialog chosen(TRUE, {}, {},
                    OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    kFilter);
  EXPECT_EQ(chosen.DoModal(), IDOK);
  EXPECT_EQ(chosen.GetPathName(), "/tmp/images/radio.hex");
  EXPECT_EQ(chosen.GetFileName(), "radio.hex");

  Backend().AnswerFilesWith(std::nullopt);
  FileDialog cancelled(TRUE, {}, {}, 0, kFilter);
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.GetPathName(), "");

  const auto files = Backend().Files();
  ASSERT_EQ(files.size(), 2U);
  EXPECT_EQ(files[0].request.filter, kFilter);
  EXPECT_EQ(files[0].request.flags, 0x1806U);
}

TEST_F(MessageBoxTest, ShellOpenReachesTheBackend) {
  EXPECT_GT(ShellExecute(nullptr, "open", "C:\\Halcyra\\Trouble.html", {}, {}, SW_SHOWNORMAL), 32);
  const auto requests = Backend().ShellRequests();
  ASSERT_EQ(requests.size(), 1U);
  EXPECT_EQ(requests[0].verb, "open");
  EXPECT_EQ(requests[0].file, "C:\\Halcyra\\Trouble.html");
}

}  // namespace
