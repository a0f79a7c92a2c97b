#pragma once

// A dialog's message map as a table of rows: each row binds a command (control id and
// notification code), a window message, WM_TIMER or WM_SYSCOMMAND to a member function. The
// first matching row handles the message; the dialog's default handling takes the rest.
//
//   class MyDialog : public Dialog {
//     using Map = MessageMap<MyDialog>;
//     static const Map kMessageMap;
//     bool RouteMessage(UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
//       return kMessageMap.Route(*this, m, w, l, r);
//     }
//   };
//   const MyDialog::Map MyDialog::kMessageMap{
//       Map::Button(1014, &MyDialog::OnUpgrade),
//       Map::Message(WM_USER + 34, &MyDialog::OnReply),
//       Map::Timer(&MyDialog::OnTimer),
//   };

#include <initializer_list>
#include <variant>
#include <vector>

#include "platform/thread/messages.h"
#include "platform/ui/ui_constants.h"
#include "platform/win_types.h"

namespace platform {

template <class Owner>
class MessageMap {
 public:
  using PlainHandler = void (Owner::*)();
  using MessageHandler = LRESULT (Owner::*)(WPARAM, LPARAM);
  using TimerHandler = void (Owner::*)(UINT_PTR);
  using SysCommandHandler = void (Owner::*)(UINT, LPARAM);

  class Row {
   public:
    bool Matches(UINT message, WPARAM wParam) const {
      if (message != message_) {
        return false;
      }
      return !is_command_ || (LoWord(wParam) == command_id_ && HiWord(wParam) == notification_);
    }

    LRESULT Call(Owner& owner, WPARAM wParam, LPARAM lParam) const {
      if (const auto* plain = std::get_if<PlainHandler>(&handler_)) {
        (owner.**plain)();
        return 0;
      }
      if (const auto* with_params = std::get_if<MessageHandler>(&handler_)) {
        return (owner.**with_params)(wParam, lParam);
      }
      if (const auto* timer = std::get_if<TimerHandler>(&handler_)) {
        (owner.**timer)(static_cast<UINT_PTR>(wParam));
        return 0;
      }
      (owner.*std::get<SysCommandHandler>(handler_))(static_cast<UINT>(wParam), lParam);
      return 0;
    }

   private:
    friend class MessageMap;
    using Handler = std::variant<PlainHandler, MessageHandler, TimerHandler, SysCommandHandler>;

    Row(UINT message, Handler handler) : message_(message), handler_(handler) {}
    Row(int command_id, UINT notification, PlainHandler handler)
        : message_(WM_COMMAND),
          is_command_(true),
          command_id_(LoWord(static_cast<WPARAM>(command_id))),
          notification_(notification),
          handler_(handler) {}

    UINT message_;
    bool is_command_ = false;
    UINT command_id_ = 0;
    UINT notification_ = 0;
    Handler handler_;
  };

  MessageMap(std::initializer_list<Row> rows) : rows_(rows) {}

  // WM_COMMAND from control (or menu command) `id` with a notification code.
  static Row Command(int id, UINT notification, PlainHandler handler) {
    return Row(id, notification, handler);
  }
  // A click of a button (BN_CLICKED), or a command without a control.
  static Row Button(int id, PlainHandler handler) { return Row(id, BN_CLICKED, handler); }
  static Row Message(UINT message, MessageHandler handler) { return Row(message, handler); }
  static Row Message(UINT message, PlainHandler handler) { return Row(message, handler); }
  static Row Timer(TimerHandler handler) { return Row(WM_TIMER, handler); }
  static Row SysCommand(SysCommandHandler handler) { return Row(WM_SYSCOMMAND, handler); }

  bool Route(Owner& owner, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    for (const Row& row : rows_) {
      if (row.Matches(message, wParam)) {
        result = row.Call(owner, wParam, lParam);
        return true;
      }
    }
    return false;
  }

  std::size_t Size() const { return rows_.size(); }

 private:
  std::vector<Row> rows_;
};

}  // namespace platform
