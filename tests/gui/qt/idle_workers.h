#pragma once

// Worker stand-ins for main windows shown in the Qt view: each window gets a worker that takes
// its jobs without running them (the window's own worker object still holds the job fields) and
// ends when the window says goodbye.

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "platform/thread/win_thread.h"
#include "upgrade_app/worker_start.h"

namespace tessaly_test {

class IdleWorker final : public platform::WinThread {
 public:
  platform::BOOL InitInstance() override { return platform::TRUE; }
  void DispatchThreadMessage(const platform::Msg& message) override {
    if (message.message == WM_UPG_END_THREAD) {
      platform::EndThread(0);
    }
  }
};

// Installs itself as the worker starter for its lifetime; at its end lets every worker run out.
class IdleWorkers {
 public:
  IdleWorkers() {
    previous_starter_ = SetWorkerStarter([this](platform::HWND) { return Start(); });
  }
  IdleWorkers(const IdleWorkers&) = delete;
  IdleWorkers& operator=(const IdleWorkers&) = delete;
  ~IdleWorkers() {
    SetWorkerStarter(std::move(previous_starter_));
    for (const auto& worker : workers_) {
      worker->ResumeThread();
      worker->End()->WaitFor(std::nullopt);
    }
  }

 private:
  StartedWorker Start() {
    identities_.emplace_back(CUpGradeThread::CreateObject());
    IdleWorker* worker = workers_.emplace_back(std::make_unique<IdleWorker>()).get();
    worker->m_bAutoDelete = platform::FALSE;
    worker->CreateThread(platform::CREATE_SUSPENDED);
    return {identities_.back().get(), worker->ThreadId(), worker->End(),
            [worker] { worker->ResumeThread(); }};
  }

  WorkerStarter previous_starter_;
  std::vector<std::unique_ptr<CUpGradeThread>> identities_;
  std::vector<std::unique_ptr<IdleWorker>> workers_;
};

}  // namespace tessaly_test
