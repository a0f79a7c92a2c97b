// The USBIO event sink: which event becomes which message to the worker's main window.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "device_link/upgrade_messages.h"
#include "device_link/usbio_events.h"
#include "outside/console_sim/console.h"
#include "outside/usb/bus.h"
#include "outside/usbio_server/usbio_device_ptr.h"
#include "outside/usbio_server/usbio_registration.h"
#include "platform/com/com_error.h"
#include "platform/com/com_runtime.h"
#include "platform/com/variant.h"
#include "tests/unit/device_link/link_test_support.h"

namespace {

using link_test::MainWindowStub;
using link_test::Received;
using outside::usbio_server::IUSBIOComDevicePtr;
using ::testing::ElementsAre;

// Something that is no USBIO instance.
class PlainObject final : public platform::ComObject<platform::IDispatch> {
 public:
  platform::HRESULT Invoke(platform::DISPID, platform::WORD, const platform::DISPPARAMS&,
                           platform::VARIANT*) override {
    return platform::DISP_E_MEMBERNOTFOUND;
  }
};

class UsbioEventsTest : public ::testing::Test {
 protected:
  // Runs `body` as a platform thread whose main window is `main_`, then lets the posted
  // messages arrive.
  void Run(const std::function<void()>& body) {
    link_test::RunAsPlatformThread([&] {
      main_ = std::make_unique<MainWindowStub>();
      platform::WinThread::Current()->m_pMainWnd = main_->GetSafeHwnd();
      body();
      link_test::PumpFor(10);
    });
  }

  platform::HRESULT Raise(platform::DISPID id, platform::IUnknown* device) {
    platform::DISPPARAMS params;
    params.args.emplace_back(device);
    return sink_->Invoke(id, platform::DISPATCH_METHOD, params, nullptr);
  }

  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  platform::ComPtr<CUSBIOEvents> sink_ = platform::MakeComObject<CUSBIOEvents>();
  std::unique_ptr<MainWindowStub> main_;
};

TEST_F(UsbioEventsTest, EachEventPostsItsMessageAndEventThreeNothing) {
  const auto other = platform::MakeComObject<PlainObject>();
  Run([&] {
    for (platform::DISPID id : {1, 2, 3, 4}) {
      EXPECT_EQ(Raise(id, other->GetUnknown()), platform::S_OK);
    }
  });
  EXPECT_THAT(main_->received, ElementsAre(Received{WM_UPG_READ_COMPLETE, 0, 0},
                                           Received{WM_UPG_WRITE_COMPLETE, 0, 0},
                                           Received{WM_UPG_DEVICE_ARRIVED, 0, 0}));
}

TEST_F(UsbioEventsTest, RemovalPostsBeforeAFailingCloseStepIsRaised) {
  const auto other = platform::MakeComObject<PlainObject>();
  Run([&] {
    EXPECT_THROW(sink_->OnDeviceRemoval(other->GetUnknown()), platform::_com_error);
    // Through the event interface the failure comes back as the event's result.
    EXPECT_EQ(Raise(5, other->GetUnknown()), platform::E_POINTER);
  });
  EXPECT_THAT(main_->received, ElementsAre(Received{WM_UPG_DEVICE_REMOVED, 0, 0},
                                           Received{WM_UPG_DEVICE_REMOVED, 0, 0}));
}

TEST_F(UsbioEventsTest, RemovalTakesTheReportingInstanceOutOfItsConfiguration) {
  auto bus = std::make_shared<outside::usb::Bus>();
  const auto console =
      std::make_shared<outside::console_sim::Console>(outside::console_sim::DeviceScenario{});
  bus->Attach(console);
  outside::usbio_server::ScopedUsbioServer server(bus);
  Run([&] {
    platform::CoInitialize();
    IUSBIOComDevicePtr instance;
    ASSERT_EQ(instance.CreateInstance(platform::CLSCTX_INPROC_SERVER), platform::S_OK);
    platform::LONG status = 0;
    instance.Open(0, &status);
    instance.SetInterfaceParameters(0, 0, 65536, &status);
    instance.SelectConfiguration(1, &status);
    ASSERT_EQ(console->Configuration(), 1);

    EXPECT_EQ(Raise(5, instance.Get()), platform::S_OK);
    EXPECT_EQ(console->Configuration(), 0);
    instance.Reset();
    platform::CoUninitialize();
  });
  EXPECT_EQ(main_->Count(WM_UPG_DEVICE_REMOVED), 1U);
}

TEST_F(UsbioEventsTest, AdviseKeepsOneConnectionUntilUnadvised) {
  outside::usbio_server::ScopedUsbioServer server(std::make_shared<outside::usb::Bus>());
  link_test::RunAsPlatformThread([&] {
    platform::CoInitialize();
    IUSBIOComDevicePtr instance;
    ASSERT_EQ(instance.CreateInstance(platform::CLSCTX_INPROC_SERVER), platform::S_OK);
    EXPECT_FALSE(sink_->IsConnected());
    EXPECT_EQ(sink_->DispEventUnadvise(instance.Get()), platform::S_FALSE);
    EXPECT_EQ(sink_->DispEventAdvise(instance.Get()), platform::S_OK);
    EXPECT_TRUE(sink_->IsConnected());
    EXPECT_EQ(sink_->DispEventAdvise(instance.Get()), platform::S_FALSE);
    EXPECT_EQ(sink_->DispEventUnadvise(instance.Get()), platform::S_OK);
    EXPECT_FALSE(sink_->IsConnected());
    // A source without connection points cannot take the sink.
    const auto other = platform::MakeComObject<PlainObject>();
    EXPECT_TRUE(platform::FAILED(sink_->DispEventAdvise(other->GetUnknown())));
    EXPECT_FALSE(sink_->IsConnected());
    instance.Reset();
    platform::CoUninitialize();
  });
}

}  // namespace
