// Modal runs: DoModal's result, nested modal loops that keep the thread's messages flowing, and
// the ways a dialog is closed.

#include <gtest/gtest.h>

#include "platform/exceptions.h"
#include "platform/thread/message_loop.h"
#include "platform/thread/messages.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_map.h"
#include "tests/unit/platform/ui/ui_test_support.h"

namespace {

using namespace platform;
using tessaly_test::MakeControl;
using tessaly_test::MakeTemplate;

constexpr UINT kOuterTemplate = 400;
constexpr UINT kInnerTemplate = 401;
constexpr int kStart = 10;
constexpr UINT_PTR kOuterTimer = 1;
constexpr UINT_PTR kInnerTimer = 2;
constexpr UINT kOuterInterval = 50;
constexpr UINT kInnerInterval = 100;
constexpr UINT kInnerPosted = WM_USER + 1;
constexpr UINT kOuterPosted = WM_USER + 2;

// Ticks three times, then ends with 7; on the way it posts to itself and to its parent.
class InnerDialog : public Dialog {
 public:
  explicit InnerDialog(HWND parent) : Dialog(MakeTemplate(kInnerTemplate, {}), parent) {}

  int ticks = 0;
  int posted = 0;
  Millis ended_at = -1;

 protected:
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    SetTimer(kInnerTimer, kInnerInterval);
    PostMessage(kInnerPosted);
    platform::PostMessage(GetParentHwnd(), kOuterPosted, 0, 0);
    return TRUE;
  }
  bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    return kMessageMap.Route(*this, message, wParam, lParam, result);
  }

 private:
  void OnTimer(UINT_PTR /*id*/) {
    if (++ticks == 3) {
      KillTimer(kInnerTimer);
      ended_at = GetClock().Now();
      EndDialog(7);
    }
  }
  LRESULT OnPosted(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    ++posted;
    return 0;
  }

  using Map = MessageMap<InnerDialog>;
  static const Map kMessageMap;
};

const InnerDialog::Map InnerDialog::kMessageMap{
    Map::Timer(&InnerDialog::OnTimer),
    Map::Message(kInnerPosted, &InnerDialog::OnPosted),
};

// Starts the inner dialog from a button handler and ends with the inner result.
class OuterDialog : public Dialog {
 public:
  OuterDialog()
      : Dialog(MakeTemplate(kOuterTemplate, {MakeControl(kStart, ControlKind::kPushButton)})) {}

  int ticks_during_inner = 0;
  int posted_during_inner = 0;
  int inner_ticks = 0;
  int inner_posted = 0;

 protected:
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    SetTimer(kOuterTimer, kOuterInterval);
    PostMessage(WM_COMMAND, MakeCommandParam(kStart, BN_CLICKED));
    return TRUE;
  }
  bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    return kMessageMap.Route(*this, message, wParam, lParam, result);
  }

 private:
  void OnStart() {
    in_inner_ = true;
    InnerDialog inner(GetSafeHwnd());
    const INT_PTR result = inner.DoModal();
    in_inner_ = false;
    inner_ticks = inner.ticks;
    inner_posted = inner.posted;
    KillTimer(kOuterTimer);
    EndDialog(static_cast<int>(result));
  }
  void OnTimer(UINT_PTR /*id*/) { ticks_during_inner += in_inner_ ? 1 : 0; }
  LRESULT OnPosted(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    posted_during_inner += in_inner_ ? 1 : 0;
    return 0;
  }

  bool in_inner_ = false;

  using Map = MessageMap<OuterDialog>;
  static const Map kMessageMap;
};

const OuterDialog::Map OuterDialog::kMessageMap{
    Map::Button(kStart, &OuterDialog::OnStart),
    Map::Timer(&OuterDialog::OnTimer),
    Map::Message(kOuterPosted, &OuterDialog::OnPosted),
};

using ModalDialogTest = tessaly_test::UiTest;

TEST_F(ModalDialogTest, DoModalReturnsTheResultOfEndDialog) {
  class EndsAtOnce : public Dialog {
   public:
    EndsAtOnce() : Dialog(MakeTemplate(402, {})) {}

   protected:
    BOOL OnInitDialog() override {
      PostClosure(GetCurrentThreadId(), [this] { EndDialog(42); });
      return TRUE;
    }
  } dialog;
  EXPECT_EQ(dialog.DoModal(), 42);
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << "the window is gone after the run";
  EXPECT_EQ(dialog.GetDlgItem(IDOK), nullptr);
}

TEST_F(ModalDialogTest, UnknownTemplateGivesMinusOne) {
  Dialog dialog(4999);
  EXPECT_EQ(dialog.DoModal(), -1);
}

TEST_F(ModalDialogTest, RegisteredTemplateIsFoundById) {
  RegisterDialogTemplate(MakeTemplate(403, {MakeControl(IDOK, ControlKind::kPushButton, "OK")}));
  class PressesOk : public Dialog {
   public:
    PressesOk() : Dialog(403) {}

   protected:
    BOOL OnInitDialog() override {
      PostClosure(GetCurrentThreadId(), [this] { GetDlgItemAs<Button>(IDOK)->Click(); });
      return TRUE;
    }
  } dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST_F(ModalDialogTest, ModalLoopInsideAHandlerStillDispatchesPostedMessagesAndTimers) {
  OuterDialog outer;
  EXPECT_EQ(outer.DoModal(), 7);
  EXPECT_EQ(outer.inner_ticks, 3);
  EXPECT_EQ(outer.inner_posted, 1);
  EXPECT_EQ(outer.posted_during_inner, 1) << "the outer window's messages flow in the inner loop";
  // Outer ticks at 50, 100, ..., 250 ms; the inner dialog ends with its third tick at 300 ms.
  EXPECT_EQ(outer.ticks_during_inner, 5);
}

// Closes itself as told by posted closures, so the modal run sees every step in order.
class ClosingDialog : public Dialog {
 public:
  explicit ClosingDialog(DialogStyle style) : Dialog(MakeTemplate(404, {}, style)) {}

  std::vector<std::string> steps;

  void Later(std::function<void()> step) { PostClosure(GetCurrentThreadId(), std::move(step)); }
};

TEST_F(ModalDialogTest, GreyedCloseMakesTheCloseBoxDoNothing) {
  ClosingDialog dialog(DialogStyle::kCaption | DialogStyle::kSystemMenu);
  dialog.Later([&] {
    dialog.GetSystemMenu()->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    dialog.SendMessage(WM_SYSCOMMAND, SC_CLOSE);  // Alt+F4 reaches the window anyway
    dialog.steps.push_back(dialog.ChooseSystemCommand(SC_CLOSE) ? "closed" : "refused");
  });
  dialog.Later([&] {
    dialog.steps.push_back("still open");
    dialog.GetSystemMenu()->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    dialog.ChooseSystemCommand(SC_CLOSE);
  });
  dialog.Later([&] { dialog.steps.push_back("too late"); });

  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.steps, (std::vector<std::string>{"refused", "still open"}));
  // The last closure stays queued; let it run so the next test starts with an empty queue.
  Msg message;
  ASSERT_TRUE(GetMessage(message));
  DispatchMessage(message);
}

TEST_F(ModalDialogTest, CloseMessageEndsWithCancelAndTheFirstEndDecides) {
  ClosingDialog dialog(DialogStyle::kCaption);
  dialog.Later([&] {
    dialog.SendMessage(WM_CLOSE);
    dialog.EndDialog(IDOK);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(ModalDialogTest, QuitRequestEndsTheRunAndStaysQueued) {
  ClosingDialog dialog(DialogStyle::kCaption);
  dialog.Later([] { PostQuitMessage(9); });
  EXPECT_EQ(dialog.DoModal(), -1);
  Msg message;
  EXPECT_FALSE(GetMessage(message)) << "the quit request is for the outer loop";
  EXPECT_EQ(message.wParam, 9U);
}

TEST_F(ModalDialogTest, AnExceptionFromAHandlerIsReportedAndTheLoopGoesOn) {
  constexpr UINT kThrows = WM_USER + 3;
  class Throws : public Dialog {
   public:
    Throws() : Dialog(MakeTemplate(404, {})) {}

   protected:
    BOOL OnInitDialog() override {
      PostMessage(kThrows);
      PostClosure(GetCurrentThreadId(), [this] { EndDialog(5); });
      return TRUE;
    }
    bool RouteMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/,
                      LRESULT& /*result*/) override {
      if (message == kThrows) throw CInvalidArgException();
      return false;
    }
  } dialog;
  Backend().AnswerBoxesWith(IDOK);
  EXPECT_EQ(dialog.DoModal(), 5) << "the modal loop survived the handler's exception";
  ASSERT_EQ(Backend().Boxes().size(), 1U);
  EXPECT_EQ(Backend().Boxes()[0].request.text, "An invalid argument was encountered.");
  EXPECT_EQ(Backend().Boxes()[0].request.owner, nullptr);
}

}  // namespace
