#pragma once

// The answer of a box that a backend shows: whoever answers (any thread) posts it to the thread
// that opened the box, whose nested loop keeps handling that thread's messages until it comes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/thread/message_loop.h"
#include "platform/ui/ui_backend.h"

namespace platform {

template <class Value>
class ModalAnswer {
 public:
  ModalAnswer() : thread_id_(GetCurrentThreadId()) {}

  // Gives the answer to the waiting thread; later calls are ignored.
  std::function<void(Value)> Completer() const {
    return [state = state_, thread_id = thread_id_](Value value) {
      PostClosure(thread_id, [state, value = std::move(value)] {
        if (!state->value) {
          state->value = value;
        }
      });
    };
  }

  // Runs the calling thread's messages until the answer to the backend's request `request_id`
  // has come. Nothing when the thread was told to quit meanwhile (the quit request stays
  // queued). A wait that ends without the answer, also by the thread ending inside it, takes
  // the request away from the backend.
  std::optional<Value> Wait(std::uint64_t request_id) {
    const WithdrawUnanswered withdraw(request_id, *state_);
    if (!RunModalLoop([this] { return state_->value.has_value(); })) {
      return std::nullopt;
    }
    return state_->value;
  }

 private:
  struct State {
    std::optional<Value> value;  // touched only by the waiting thread
  };

  class WithdrawUnanswered {
   public:
    WithdrawUnanswered(std::uint64_t request_id, const State& state)
        : request_id_(request_id), state_(state) {}
    WithdrawUnanswered(const WithdrawUnanswered&) = delete;
    WithdrawUnanswered& operator=(const WithdrawUnanswered&) = delete;
    ~WithdrawUnanswered() {
      if (!state_.value) {
        GetUiBackend().Withdraw(request_id_);
      }
    }

   private:
    std::uint64_t request_id_;
    const State& state_;
  };

  DWORD thread_id_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace platform
