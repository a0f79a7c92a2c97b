// The C entry points of libvirelo.so: nothing raised inside the library crosses them.

#include <exception>
#include <iostream>

#include "device_check/check_device.h"
#include "device_check/device_check_app.h"
#include "device_check/loaded_library.h"
#include "device_check/virelo.h"
#include "platform/com/com_error.h"

namespace {

const virelo::LoadedLibrary g_loaded_library;

void ReportFailure(const char* what) {
  std::cerr << virelo::kApplicationTitle << ": CheckDevice failed: " << what << '\n';
}

template <class Call>
platform::HRESULT Guarded(Call call) {
  try {
    return call();
  } catch (...) {
    return platform::E_UNEXPECTED;
  }
}

}  // namespace

extern "C" {

int CheckDevice() {
  try {
    return virelo::CheckDevice();
  } catch (const platform::_com_error& error) {
    ReportFailure(error.ErrorMessage());
  } catch (const std::exception& error) {
    ReportFailure(error.what());
  } catch (...) {
    ReportFailure("unknown error");
  }
  return virelo::kConsoleNotAttached;
}

platform::HRESULT DllGetClassObject(const platform::CLSID& clsid, const platform::IID& iid,
                                    void** object) {
  return Guarded([&] { return virelo::LibraryModule().GetClassObject(clsid, iid, object); });
}

platform::HRESULT DllCanUnloadNow() {
  return Guarded([] { return virelo::LibraryModule().CanUnloadNow(); });
}

platform::HRESULT DllRegisterServer() {
  return Guarded([] {
    // Whatever the registration gives, the answer is success.
    virelo::LibraryModule().RegisterServer();
    return platform::S_OK;
  });
}

}  // extern "C"
