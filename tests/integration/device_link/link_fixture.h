#pragma once

// The device link against simulated consoles: a bus of consoles (each behind a spy that keeps
// every report written to it), both USB stand-ins over that bus, the hidden form's template,
// an application object, a virtual clock and a box recorder per test.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

#include "device_link/application_link.h"
#include "outside/console_sim/console.h"
#include "outside/console_sim/scenario.h"
#include "outside/console_sim/sha256.h"
#include "outside/usb/bus.h"
#include "outside/usb/device.h"
#include "outside/usb_access_control/usb_access_registration.h"
#include "outside/usbio_server/usbio_registration.h"
#include "platform/clock/clock.h"
#include "platform/ui/dialog_template.h"
#include "tests/unit/device_link/link_test_support.h"
#include "upgrade_app/resources/dialog_templates.h"

namespace link_test {

namespace usb = outside::usb;
namespace console_sim = outside::console_sim;

inline constexpr usb::Endpoint kCommandOut = 0x03;
inline constexpr usb::Endpoint kFileOut = 0x02;

// Passes everything on to the device it wraps and keeps each report written to it.
class SpyDevice final : public usb::Device {
 public:
  explicit SpyDevice(std::shared_ptr<usb::Device> inner) : inner_(std::move(inner)) {
    ready_ = inner_->SubscribeReportReady(
        [this](usb::Endpoint in, platform::Millis delay_ms) { NotifyReportReady(in, delay_ms); });
    unplug_ = inner_->SubscribeUnplug([this] { Unplug(); });
  }

  std::optional<std::string> StringDescriptor(std::uint8_t index) const override {
    return inner_->StringDescriptor(index);
  }
  bool Open() override { return inner_->Open(); }
  void Close() override { inner_->Close(); }
  bool SelectConfiguration(int configuration) override {
    return inner_->SelectConfiguration(configuration);
  }
  int Configuration() const override { return inner_->Configuration(); }
  bool HasEndpoint(usb::Endpoint address) const override { return inner_->HasEndpoint(address); }
  bool Write(usb::Endpoint out, std::span<const std::uint8_t> data) override {
    {
      const std::lock_guard lock(mutex_);
      writes_.push_back({out, std::vector<std::uint8_t>(data.begin(), data.end())});
    }
    return inner_->Write(out, data);
  }
  void EndWrite(usb::Endpoint out) override { inner_->EndWrite(out); }
  std::optional<usb::Report> Read(usb::Endpoint in) override { return inner_->Read(in); }
  void Reset() override { inner_->Reset(); }
  void OnRemovedFromBus() override { inner_->OnRemovedFromBus(); }

  // The reports written to `out`, oldest first.
  std::vector<std::vector<std::uint8_t>> Writes(usb::Endpoint out) const {
    const std::lock_guard lock(mutex_);
    std::vector<std::vector<std::uint8_t>> found;
    for (const auto& [endpoint, data] : writes_) {
      if (endpoint == out) {
        found.push_back(data);
      }
    }
    return found;
  }

 private:
  std::shared_ptr<usb::Device> inner_;
  usb::Subscription ready_;
  usb::Subscription unplug_;
  mutable std::mutex mutex_;
  std::vector<std::pair<usb::Endpoint, std::vector<std::uint8_t>>> writes_;
};

inline console_sim::DeviceScenario ForeignDevice() {
  console_sim::DeviceScenario device;
  device.string2 = "USB Keyboard";
  return device;
}

inline std::string Sha256Of(std::span<const std::uint8_t> bytes) {
  console_sim::Sha256 digest;
  digest.Update(bytes);
  return digest.Finish();
}

// `count` bytes that differ from block to block and from chunk to chunk.
inline std::vector<std::uint8_t> FileBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t at = 0; at < count; ++at) {
    bytes[at] = static_cast<std::uint8_t>(1 + (at * 7 + at / 64) % 251);
  }
  return bytes;
}

class LinkTest : public ::testing::Test {
 protected:
  LinkTest() : previous_link_(SetApplicationLink(&app_)) {
    platform::RegisterDialogTemplate(UsbAccessFormTemplate());
  }
  ~LinkTest() override {
    SetApplicationLink(previous_link_);
    std::filesystem::remove_all(folder_);
  }

  // Attaches a device of `scenario` behind a spy; returns its index.
  std::size_t Attach(const console_sim::DeviceScenario& scenario) {
    consoles_.push_back(std::make_shared<console_sim::Console>(scenario));
    spies_.push_back(std::make_shared<SpyDevice>(consoles_.back()));
    bus_->Attach(spies_.back());
    return consoles_.size() - 1;
  }

  console_sim::Console& ConsoleAt(std::size_t index) { return *consoles_.at(index); }
  SpyDevice& SpyAt(std::size_t index) { return *spies_.at(index); }

  // A file of `bytes` in the test's folder; returns its host path.
  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(folder_);
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  std::string MissingFile() const { return (folder_ / "missing.bin").string(); }

  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  ScopedBoxRecorder boxes_;
  CApplicationLink app_;
  std::shared_ptr<usb::Bus> bus_ = std::make_shared<usb::Bus>();
  std::optional<outside::usbio_server::ScopedUsbioServer> server_{std::in_place, bus_};
  std::optional<outside::usb_access_control::ScopedUsbAccessControl> control_{std::in_place, bus_};

 private:
  CApplicationLink* previous_link_;
  std::vector<std::shared_ptr<console_sim::Console>> consoles_;
  std::vector<std::shared_ptr<SpyDevice>> spies_;
  std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() /
      ("device_link_" +
       std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
       std::to_string(::getpid()));
};

}  // namespace link_test
