#pragma once

// What the Qt view tests share: one QApplication on the offscreen platform for the whole test
// program, and a fixture in which the test thread is the GUI thread of a virtual-time program
// with the Qt backend installed.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "gui/qt/dialog_view.h"
#include "gui/qt/qt_backend.h"
#include "platform/clock/clock.h"
#include "platform/thread/message_loop.h"
#include "platform/ui/dialog.h"
#include "platform/ui/thread_role.h"
#include "platform/ui/ui_backend.h"
#include "tests/support/participant.h"

namespace tessaly_test {

// Registers the program's dialog templates and pictures, once.
void RegisterProgramResources();

class QtViewTest : public ::testing::Test {
 protected:
  QtViewTest();
  ~QtViewTest() override;

  gui::QtBackend& Backend() { return *backend_; }
  gui::DialogView* ViewOf(const platform::Dialog& dialog) {
    return backend_->View().ViewOf(dialog.GetSafeHwnd());
  }
  // The widget of the first control with this id.
  QWidget* WidgetOf(const platform::Dialog& dialog, int control_id);
  static std::size_t IndexOf(const platform::Dialog& dialog, int control_id);
  // Runs the test thread's messages (and with them Qt's events) until `done`.
  static void RunUntil(const std::function<bool()>& done) {
    ASSERT_TRUE(platform::RunModalLoop(done));
  }

 private:
  platform::ScopedClock clock_;
  ParticipantScope participant_;
  gui::QtBackend* backend_ = nullptr;
  std::unique_ptr<platform::ScopedUiBackend> ui_;
};

// Calls `act` with the application's active modal widget as soon as one of class `Modal` is
// open. Boxes of other threads arrive through Qt's queue, so this looks again on every turn of
// Qt's event loop (which the test thread's clock waits run).
template <class Modal>
void WhenModalOpens(std::function<void(Modal&)> act) {
  constexpr int kPollMilliseconds = 5;
  auto* poll = new QTimer(qApp);
  poll->setInterval(kPollMilliseconds);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
    if (auto* modal = qobject_cast<Modal*>(QApplication::activeModalWidget())) {
      poll->stop();
      act(*modal);
      poll->deleteLater();
    }
  });
  poll->start();
}

}  // namespace tessaly_test
