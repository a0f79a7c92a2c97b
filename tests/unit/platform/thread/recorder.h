#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/thread/window.h"

namespace tessaly_test {

// A thread-safe log of what happened, in order, with the program time of each entry.
class Recorder {
 public:
  void Add(const std::string& entry) {
    const std::lock_guard lock(mutex_);
    entries_.push_back(entry);
    times_.push_back(platform::GetClock().Now());
  }
  std::vector<std::string> Entries() const {
    const std::lock_guard lock(mutex_);
    return entries_;
  }
  std::vector<platform::Millis> Times() const {
    const std::lock_guard lock(mutex_);
    return times_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
  std::vector<platform::Millis> times_;
};

// A window that logs every message as "<name>:<message number>" and hands it to an optional hook.
class RecordingWindow : public platform::Window {
 public:
  using Hook = std::function<platform::LRESULT(platform::UINT, platform::WPARAM, platform::LPARAM)>;

  RecordingWindow(Recorder& recorder, std::string name, Hook hook = {})
      : recorder_(recorder), name_(std::move(name)), hook_(std::move(hook)) {}

  platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                               platform::LPARAM lParam) override {
    recorder_.Add(name_ + ":" + std::to_string(message));
    return hook_ ? hook_(message, wParam, lParam) : 0;
  }

 private:
  Recorder& recorder_;
  std::string name_;
  Hook hook_;
};

}  // namespace tessaly_test
