#include "platform/com/hresult.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace platform {

namespace {

struct KnownResult {
  HRESULT code;
  std::string_view name;
  std::string_view meaning;
};

constexpr std::array kKnownResults = {
    KnownResult{S_OK, "S_OK", "success"},
    KnownResult{S_FALSE, "S_FALSE", "success, with a negative answer"},
    KnownResult{E_NOTIMPL, "E_NOTIMPL", "not implemented"},
    KnownResult{E_NOINTERFACE, "E_NOINTERFACE", "interface not supported"},
    KnownResult{E_POINTER, "E_POINTER", "invalid pointer"},
    KnownResult{E_FAIL, "E_FAIL", "unspecified failure"},
    KnownResult{E_UNEXPECTED, "E_UNEXPECTED", "unexpected failure"},
    KnownResult{E_OUTOFMEMORY, "E_OUTOFMEMORY", "out of memory"},
    KnownResult{E_INVALIDARG, "E_INVALIDARG", "invalid argument"},
    KnownResult{DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND", "member not found"},
    KnownResult{DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH", "argument type mismatch"},
    KnownResult{DISP_E_OVERFLOW, "DISP_E_OVERFLOW", "value out of range"},
    KnownResult{DISP_E_BADINDEX, "DISP_E_BADINDEX", "invalid index"},
    KnownResult{DISP_E_ARRAYISLOCKED, "DISP_E_ARRAYISLOCKED", "array is locked"},
    KnownResult{DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT", "wrong number of arguments"},
    KnownResult{CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION", "class cannot be aggregated"},
    KnownResult{CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE",
                "class not available from this module"},
    KnownResult{REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG", "class not registered"},
    KnownResult{CONNECT_E_NOCONNECTION, "CONNECT_E_NOCONNECTION", "no such connection"},
    KnownResult{CONNECT_E_CANNOTCONNECT, "CONNECT_E_CANNOTCONNECT",
                "sink does not support the event interface"},
    KnownResult{CO_E_NOTINITIALIZED, "CO_E_NOTINITIALIZED",
                "component services not initialised on this thread"},
};

}  // namespace

std::string DescribeHResult(HRESULT hr) {
  char number[16];
  std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(hr));
  for (const KnownResult& known : kKnownResults) {
    if (known.code == hr) {
      return std::string(known.name) + " (" + number + "): " + std::string(known.meaning);
    }
  }
  return std::string("result ") + number;
}

}  // namespace platform
