#include "device_link/application_link.h"

#include <atomic>
#include <stdexcept>

namespace {

std::atomic<CApplicationLink*> g_registered_link{nullptr};

}  // namespace

CApplicationLink::~CApplicationLink() {
  CApplicationLink* self = this;
  g_registered_link.compare_exchange_strong(self, nullptr);
}

CApplicationLink& GetApplicationLink() {
  CApplicationLink* const link = g_registered_link.load();
  if (link == nullptr) {
    throw std::logic_error("No application object is registered with the device link");
  }
  return *link;
}

CApplicationLink* SetApplicationLink(CApplicationLink* link) {
  return g_registered_link.exchange(link);
}
