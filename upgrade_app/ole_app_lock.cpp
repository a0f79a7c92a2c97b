#include "upgrade_app/ole_app_lock.h"

#include <atomic>

namespace {

std::atomic<platform::LONG> g_ole_application_locks{0};

}  // namespace

void LockOleApplication() { ++g_ole_application_locks; }

void UnlockOleApplication() { --g_ole_application_locks; }

platform::LONG OleApplicationLockCount() { return g_ole_application_locks.load(); }
