#include "upgrade_app/corvik_upgrade_module.h"

#include "upgrade_app/ole_app_lock.h"

namespace {

CCorvikUpgradeModule* g_program_module = nullptr;

}  // namespace

CCorvikUpgradeModule* GetProgramModule() { return g_program_module; }

CCorvikUpgradeModule::CCorvikUpgradeModule() { g_program_module = this; }

CCorvikUpgradeModule::~CCorvikUpgradeModule() {
  if (initialised_) Term();
  if (g_program_module == this) g_program_module = nullptr;
}

platform::LONG CCorvikUpgradeModule::Lock() {
  LockOleApplication();
  return 1;
}

platform::LONG CCorvikUpgradeModule::Unlock() {
  UnlockOleApplication();
  return 0;
}

void CCorvikUpgradeModule::Init() { initialised_ = true; }

void CCorvikUpgradeModule::Term() {
  UnregisterServer();
  initialised_ = false;
}
