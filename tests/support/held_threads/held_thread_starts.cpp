// Preloaded into a test run (LD_PRELOAD) to widen the races around a thread's start: every
// pthread_create holds back either its caller after the start (TESSALY_HOLD_THREADS=creator)
// or the new thread before it runs its function (TESSALY_HOLD_THREADS=started), for
// TESSALY_HOLD_MS milliseconds (30 unless given). Any other mode starts threads as usual.

#include <dlfcn.h>
#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using CreateFunction = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
using StartFunction = void* (*)(void*);

constexpr long kDefaultHoldMs = 30;
constexpr long kNanosecondsPerMs = 1000000;
constexpr long kMsPerSecond = 1000;

enum class Hold { kNone, kCreator, kStarted };

Hold ModeFromEnvironment() {
  const char* mode = std::getenv("TESSALY_HOLD_THREADS");
  if (mode == nullptr) return Hold::kNone;
  if (std::strcmp(mode, "creator") == 0) return Hold::kCreator;
  if (std::strcmp(mode, "started") == 0) return Hold::kStarted;
  return Hold::kNone;
}

long HoldMsFromEnvironment() {
  const char* text = std::getenv("TESSALY_HOLD_MS");
  if (text == nullptr) return kDefaultHoldMs;
  const long ms = std::strtol(text, nullptr, 10);
  return ms > 0 ? ms : kDefaultHoldMs;
}

void HoldBack() {
  const long ms = HoldMsFromEnvironment();
  timespec remaining{ms / kMsPerSecond, (ms % kMsPerSecond) * kNanosecondsPerMs};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

CreateFunction RealCreate() {
  static const auto real = reinterpret_cast<CreateFunction>(dlsym(RTLD_NEXT, "pthread_create"));
  return real;
}

struct HeldStart {
  StartFunction start;
  void* argument;
};

void* StartAfterHold(void* held_start) {
  const std::unique_ptr<HeldStart> held(static_cast<HeldStart*>(held_start));
  HoldBack();
  return held->start(held->argument);
}

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              StartFunction start, void* argument) {
  const CreateFunction real = RealCreate();
  if (real == nullptr) return EAGAIN;
  switch (ModeFromEnvironment()) {
    case Hold::kCreator: {
      const int result = real(thread, attributes, start, argument);
      HoldBack();
      return result;
    }
    case Hold::kStarted: {
      auto held = std::make_unique<HeldStart>(HeldStart{start, argument});
      const int result = real(thread, attributes, StartAfterHold, held.get());
      // The new thread owns it now.
      if (result == 0) static_cast<void>(held.release());
      return result;
    }
    case Hold::kNone:
      break;
  }
  return real(thread, attributes, start, argument);
}
