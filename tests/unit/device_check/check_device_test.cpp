// The device search in-process, on a bus of devices that count how they are used, with the
// USBIO server stand-in and virtual time.

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "device_check/check_device.h"
#include "device_check/device_search.h"
#include "device_check/library_objects.h"
#include "device_check/usbio_installation.h"
#include "gtest/gtest.h"
#include "outside/console_sim/process_bus.h"
#include "outside/usb/bus.h"
#include "outside/usbio_server/usbio_registration.h"
#include "platform/clock/clock.h"
#include "platform/com/bstr.h"
#include "platform/com/com_error.h"
#include "platform/com/com_module.h"

namespace {

namespace usb = outside::usb;

constexpr std::uint8_t kIdentityDescriptor = 2;

// A device with one string descriptor that counts opens, closes and descriptor reads.
class CountingDevice final : public usb::Device {
 public:
  explicit CountingDevice(std::string string2, bool refuses_open = false)
      : string2_(std::move(string2)), refuses_open_(refuses_open) {}

  std::optional<std::string> StringDescriptor(std::uint8_t index) const override {
    ++descriptor_reads;
    return index == kIdentityDescriptor ? std::optional(string2_) : std::nullopt;
  }
  bool Open() override {
    ++open_attempts;
    return !refuses_open_;
  }
  void Close() override { ++closes; }
  bool SelectConfiguration(int /*configuration*/) override { return false; }
  int Configuration() const override { return 0; }
  bool HasEndpoint(usb::Endpoint /*address*/) const override { return false; }
  bool Write(usb::Endpoint /*out*/, std::span<const std::uint8_t> /*data*/) override {
    return false;
  }
  void EndWrite(usb::Endpoint /*out*/) override {}
  std::optional<usb::Report> Read(usb::Endpoint /*in*/) override { return std::nullopt; }
  void Reset() override {}

  int OpenNow() const { return refuses_open_ ? 0 : open_attempts - closes; }

  int open_attempts = 0;
  int closes = 0;
  mutable int descriptor_reads = 0;

 private:
  std::string string2_;
  bool refuses_open_;
};

class CheckDeviceTest : public ::testing::Test {
 protected:
  ~CheckDeviceTest() override { virelo::ReleaseUsbioInstance(); }

  std::shared_ptr<CountingDevice> Attach(std::string string2, bool refuses_open = false) {
    auto device = std::make_shared<CountingDevice>(std::move(string2), refuses_open);
    bus_->Attach(device);
    return device;
  }

  platform::Millis Now() const { return platform::GetClock().Now(); }

  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  std::shared_ptr<usb::Bus> bus_ = std::make_shared<usb::Bus>();
  outside::console_sim::ScopedProcessBus process_bus_{bus_};
  outside::usbio_server::ScopedUsbioServer server_{bus_};
};

TEST_F(CheckDeviceTest, NoDeviceAnswersAtOnce) {
  EXPECT_EQ(virelo::CheckDevice(), virelo::kConsoleNotAttached);
  EXPECT_EQ(Now(), 0);
}

TEST_F(CheckDeviceTest, ConsoleAloneIsAttachedAfterThePauseAndLeftOpen) {
  const auto console = Attach("TMX320VC5509");
  EXPECT_EQ(virelo::CheckDevice(), virelo::kConsoleAttached);
  EXPECT_EQ(Now(), virelo::kPauseAfterSearchMs);
  EXPECT_EQ(console->OpenNow(), 1);
  EXPECT_EQ(console->descriptor_reads, 1);
}

TEST_F(CheckDeviceTest, OtherDevicesAreReadAndClosedAndTheSearchGoesOn) {
  const auto refusing = Attach("TMX320VC5509", true);
  const auto foreign = Attach("USB Keyboard");
  const auto console = Attach("TMX320VC5509");

  // The console is found, but not as the first device.
  EXPECT_EQ(virelo::CheckDevice(), virelo::kConsoleNotAttached);
  EXPECT_EQ(Now(), virelo::kPauseAfterSearchMs);
  EXPECT_EQ(refusing->open_attempts, 1);
  EXPECT_EQ(refusing->descriptor_reads, 0);
  EXPECT_EQ(foreign->descriptor_reads, 1);
  EXPECT_EQ(foreign->OpenNow(), 0);
  EXPECT_EQ(console->OpenNow(), 1);

  EXPECT_EQ(virelo::FindDevice(virelo::kEnumerateFirst), 2);
  EXPECT_EQ(virelo::FindDevice(2), virelo::kNoConsole);  // the count limits the search
}

TEST_F(CheckDeviceTest, LaterCallClosesAndReleasesTheEarlierInstance) {
  const auto console = Attach("TMX320VC5509");
  EXPECT_EQ(virelo::CheckDevice(), virelo::kConsoleAttached);
  const platform::LONG objects_after_first = platform::ProcessModule().GetObjectCount();

  EXPECT_EQ(virelo::CheckDevice(), virelo::kConsoleAttached);
  EXPECT_EQ(platform::ProcessModule().GetObjectCount(), objects_after_first);
  EXPECT_EQ(console->open_attempts, 2);
  EXPECT_EQ(console->OpenNow(), 1);

  virelo::ReleaseUsbioInstance();
  EXPECT_EQ(platform::ProcessModule().GetObjectCount(), objects_after_first - 1);
  EXPECT_EQ(console->OpenNow(), 0);
}

TEST_F(CheckDeviceTest, DescriptorTextBeginsWithItsHeader) {
  Attach("TMX320VC5509");
  ASSERT_EQ(virelo::CheckDevice(), virelo::kConsoleAttached);
  // Length 2 + 2 * 12 = 26 and type 3 read as one little-endian character.
  EXPECT_EQ(platform::Utf8ToUtf16(virelo::ReadStringDescriptor()), u"\u031ATMX320VC5509");
}

TEST_F(CheckDeviceTest, ServerErrorInsideTheSearchPassesThrough) {
  Attach("USB Keyboard");
  virelo::InstallUsbioServer(virelo::ParseUsbioInstallation("failing:descriptor"));
  try {
    virelo::CheckDevice();
    ADD_FAILURE() << "no error raised";
  } catch (const platform::_com_error& error) {
    EXPECT_EQ(error.Error(), platform::E_FAIL);
  }
}

}  // namespace
