// The GUI thread's waits run Qt's events; its Sleep paints but lets nothing of the program run.

#include <QAbstractButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "platform/thread/messages.h"
#include "tests/gui/qt/qt_test_support.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

class WaiterTest : public tessaly_test::QtViewTest {
 protected:
  WaiterTest() { tessaly_test::RegisterProgramResources(); }
};

TEST_F(WaiterTest, QtEventsRunWhileTheGuiThreadWaitsForItsNextMessage) {
  bool handled = false;
  const platform::DWORD gui_thread = platform::GetCurrentThreadId();
  // Only Qt's loop can run this timer; its closure is the message the wait ends with.
  QTimer::singleShot(0, [&handled, gui_thread] {
    platform::PostClosure(gui_thread, [&handled] { handled = true; });
  });
  RunUntil([&handled] { return handled; });
  EXPECT_TRUE(handled);
}

// Counts the window's commands.
class ClickCounter final : public platform::Dialog {
 public:
  using Dialog::Dialog;
  int clicks = 0;

 protected:
  bool RouteMessage(platform::UINT message, platform::WPARAM /*wParam*/,
                    platform::LPARAM /*lParam*/, platform::LRESULT& result) override {
    if (message == platform::WM_COMMAND) {
      ++clicks;
    }
    result = 0;
    return message == platform::WM_COMMAND;
  }
};

TEST_F(WaiterTest, DuringSleepQtRunsButTheProgramHandlesNothing) {
  ClickCounter dialog(IDD_WIZARD_WINDOW);
  ASSERT_TRUE(dialog.Create());
  dialog.ShowWindow(platform::SW_SHOW);
  QWidget* upgrade = WidgetOf(dialog, IDC_UPGRADE);

  // A click that Qt takes while the GUI thread sleeps. Another participant of the virtual clock
  // holds time still until Qt has run it, so it runs within the Sleep.
  std::atomic<bool> qt_ran = false;
  std::thread holder = tessaly_test::StartParticipant([&qt_ran] { qt_ran.wait(false); });
  int program_clicks_seen_by_qt = -1;
  QMetaObject::invokeMethod(
      upgrade,
      [&] {
        QTest::mouseClick(upgrade, Qt::LeftButton);
        program_clicks_seen_by_qt = dialog.clicks;
        qt_ran = true;
        qt_ran.notify_one();
      },
      Qt::QueuedConnection);

  const platform::Millis before = platform::GetClock().Now();
  platform::Sleep(25000);
  EXPECT_EQ(platform::GetClock().Now() - before, 25000);
  EXPECT_TRUE(qt_ran);
  EXPECT_EQ(program_clicks_seen_by_qt, 0);
  EXPECT_EQ(dialog.clicks, 0);  // the click waits for the program's loop
  holder.join();

  RunUntil([&] { return dialog.clicks == 1; });
}

}  // namespace
