#pragma once

// Test threads that take part in the process clock, so virtual time moves only when they wait.

#include <functional>
#include <thread>

#include "platform/clock/clock.h"

namespace tessaly_test {

// Makes the calling thread a participant for the scope's lifetime.
class ParticipantScope {
 public:
  ParticipantScope() {
    platform::GetClock().Join();
    platform::Clock::AdoptParticipation();
  }
  ParticipantScope(const ParticipantScope&) = delete;
  ParticipantScope& operator=(const ParticipantScope&) = delete;
  ~ParticipantScope() { platform::GetClock().Leave(); }
};

// A std::thread that is counted by the clock from before it starts until it ends.
inline std::thread StartParticipant(std::function<void()> body) {
  auto clock = platform::ShareClock();
  clock->Join();
  return std::thread([body = std::move(body), clock] {
    platform::Clock::AdoptParticipation();
    body();
    clock->Leave();
  });
}

}  // namespace tessaly_test
