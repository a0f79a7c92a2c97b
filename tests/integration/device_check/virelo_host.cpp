// A stand-in for the outside program that uses Virelo: it loads the built library with dlopen,
// looks the entry points up by name and calls them as its arguments say, one line of output per
// action:
//   check          "check <answer of CheckDevice>"
//   repeat <n>     n calls; "repeat attached=<answers of 0> growth=<heap bytes>", the growth
//                  counted from after the first call to after the last
//   class-object   "class-object hr=<hex> object=<null|set>" for an arbitrary class
//   can-unload     "can-unload hr=<hex>"
//   register       "register hr=<hex>"
//   unload         "unload <result of dlclose>"
// Exit status 0, or 2 when the library or an entry point cannot be found.

#include <dlfcn.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "device_check/virelo.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime keeps the heap itself; it answers this in place of mallinfo2.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

constexpr int kSetupFailed = 2;

// Heap bytes in use by the whole process, the library included.
std::size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "virelo_host: %s\n", message.c_str());
  std::exit(kSetupFailed);
}

template <class Function>
Function Lookup(void* library, const char* name) {
  void* const symbol = dlsym(library, name);
  if (symbol == nullptr) {
    Fail(std::string("no entry point ") + name);
  }
  return reinterpret_cast<Function>(symbol);
}

std::string Hex(platform::HRESULT hr) {
  char text[sizeof("0x12345678")];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(hr));
  return text;
}

struct EntryPoints {
  virelo::CheckDeviceFunction check_device;
  virelo::GetClassObjectFunction get_class_object;
  virelo::CanUnloadNowFunction can_unload_now;
  virelo::RegisterServerFunction register_server;
};

void Repeat(const EntryPoints& entry, long calls) {
  long attached = entry.check_device() == 0 ? 1 : 0;
  const std::size_t before = HeapInUse();
  for (long call = 1; call < calls; ++call) {
    attached += entry.check_device() == 0 ? 1 : 0;
  }
  const auto growth = static_cast<long long>(HeapInUse()) - static_cast<long long>(before);
  std::printf("repeat attached=%ld growth=%lld\n", attached, growth);
}

void ClassObject(const EntryPoints& entry) {
  constexpr platform::CLSID kSomeClass =
      platform::GuidLiteral("{A6A6613D-1B95-4230-A3C4-79536A411315}");
  constexpr platform::IID kClassFactory =
      platform::GuidLiteral("{00000001-0000-0000-C000-000000000046}");
  void* object = &object;  // must come back null
  const platform::HRESULT hr = entry.get_class_object(kSomeClass, kClassFactory, &object);
  std::printf("class-object hr=%s object=%s\n", Hex(hr).c_str(), object ? "set" : "null");
}

}  // namespace

int main(int argc, char** argv) {
  void* library = dlopen(VIRELO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    Fail(dlerror());
  }
  const EntryPoints entry{
      Lookup<virelo::CheckDeviceFunction>(library, "CheckDevice"),
      Lookup<virelo::GetClassObjectFunction>(library, "DllGetClassObject"),
      Lookup<virelo::CanUnloadNowFunction>(library, "DllCanUnloadNow"),
      Lookup<virelo::RegisterServerFunction>(library, "DllRegisterServer"),
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view action = argv[i];
    if (action == "check") {
      std::printf("check %d\n", entry.check_device());
    } else if (action == "repeat" && i + 1 < argc) {
      Repeat(entry, std::strtol(argv[++i], nullptr, 10));
    } else if (action == "class-object") {
      ClassObject(entry);
    } else if (action == "can-unload") {
      std::printf("can-unload hr=%s\n", Hex(entry.can_unload_now()).c_str());
    } else if (action == "register") {
      std::printf("register hr=%s\n", Hex(entry.register_server()).c_str());
    } else if (action == "unload") {
      std::printf("unload %d\n", dlclose(library));
      library = nullptr;
    } else {
      Fail("unknown action " + std::string(action));
    }
    std::fflush(stdout);
  }
  return 0;
}
