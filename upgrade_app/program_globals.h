#pragma once

// The program's global objects (built before InitInstance, destroyed in reverse order at exit).

#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_module.h"

// The factory of "CorvikUpgrade.Application": built, never registered.
extern const platform::ComPtr<platform::ClassFactory> g_autoProxyClassFactory;
extern CCorvikUpgradeApp theApp;
extern CCorvikUpgradeModule g_module;
