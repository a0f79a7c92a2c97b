// The program's global objects, in the order in which they are built.

#include "upgrade_app/program_globals.h"

#include "upgrade_app/auto_proxy.h"

const platform::ComPtr<platform::ClassFactory> g_autoProxyClassFactory =
    MakeAutoProxyClassFactory();
CCorvikUpgradeApp theApp;
CCorvikUpgradeModule g_module;
