#pragma once

// The answer of a box that a backend shows: whoever answers (any thread) posts it to the thread
// that opened the box, whose nested loop keeps handling that thread's messages until it comes.

#include <functional>
#include <memory>
#include <optional>

#include "platform/thread/message_loop.h"

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

  // Runs the calling thread's messages until the answer has come. Nothing when the thread was
  // told to quit meanwhile (the quit request stays queued).
  std::optional<Value> Wait() {
    if (!RunModalLoop([this] { return state_->value.has_value(); })) {
      return std::nullopt;
    }
    return state_->value;
  }

 private:
  struct State {
    std::optional<Value> value;  // touched only by the waiting thread
  };

  DWORD thread_id_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace platform
