#pragma once

// The entry points of libvirelo.so. They are exported by name with C linkage, so a caller can
// look them up with dlsym; no exception ever leaves them.

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

#define VIRELO_API __attribute__((visibility("default")))

extern "C" {

// 0 when a Halcyra console is attached as the first device of the USBIO device class, else -1.
VIRELO_API int CheckDevice();

// The library serves no component classes: CLASS_E_CLASSNOTAVAILABLE with `*object` null.
VIRELO_API platform::HRESULT DllGetClassObject(const platform::CLSID& clsid,
                                               const platform::IID& iid, void** object);
// S_FALSE while objects of the library are alive or its server is locked, else S_OK.
VIRELO_API platform::HRESULT DllCanUnloadNow();
// Registers the library's classes (there are none); always S_OK.
VIRELO_API platform::HRESULT DllRegisterServer();
}

namespace virelo {

// The entry points as dlsym hands them out.
using CheckDeviceFunction = int (*)();
using GetClassObjectFunction = platform::HRESULT (*)(const platform::CLSID&, const platform::IID&,
                                                     void**);
using CanUnloadNowFunction = platform::HRESULT (*)();
using RegisterServerFunction = platform::HRESULT (*)();

}  // namespace virelo
