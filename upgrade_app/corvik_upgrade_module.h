#pragma once

// The program's component module. Its object map is empty: the program serves no class to
// other processes. Its server locks are the application lock.

#include "platform/com/com_module.h"

class CCorvikUpgradeModule : public platform::ComModule {
 public:
  // The newest module object becomes the program's module.
  CCorvikUpgradeModule();
  CCorvikUpgradeModule(const CCorvikUpgradeModule&) = delete;
  CCorvikUpgradeModule& operator=(const CCorvikUpgradeModule&) = delete;
  ~CCorvikUpgradeModule() override;

  // Returns 1 after taking the application lock.
  platform::LONG Lock() override;
  // Returns 0 after releasing it.
  platform::LONG Unlock() override;

  void Init();
  // Takes the module's classes out of the class registry and ends the module.
  void Term();
  bool IsInitialised() const { return initialised_; }

 private:
  bool initialised_ = false;
};

// The program's module object, or null when none exists.
CCorvikUpgradeModule* GetProgramModule();
