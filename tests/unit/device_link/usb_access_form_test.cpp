// The hidden form of the USB access control: the control's texts as messages to the worker's
// main window, and the control it hosts.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "device_link/upgrade_messages.h"
#include "device_link/usb_access_form.h"
#include "outside/console_sim/console.h"
#include "outside/usb/bus.h"
#include "outside/usb_access_control/usb_access_registration.h"
#include "platform/com/bstr.h"
#include "platform/com/com_error.h"
#include "platform/com/com_runtime.h"
#include "platform/com/dispatch.h"
#include "platform/ui/dialog_template.h"
#include "tests/unit/device_link/link_test_support.h"
#include "upgrade_app/resources/dialog_templates.h"

namespace {

using link_test::MainWindowStub;
using link_test::Received;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class UsbAccessFormTest : public ::testing::Test {
 protected:
  UsbAccessFormTest() { platform::RegisterDialogTemplate(UsbAccessFormTemplate()); }

  void Run(const std::function<void(CUSBAccessForm& form)>& body) {
    link_test::RunAsPlatformThread([&] {
      main_ = std::make_unique<MainWindowStub>();
      platform::WinThread::Current()->m_pMainWnd = main_->GetSafeHwnd();
      platform::CoInitialize();
      {
        CUSBAccessForm form;
        body(form);
        link_test::PumpFor(10);
      }
      platform::CoUninitialize();
    });
  }

  static void Tell(CUSBAccessForm& form, const std::string& text) {
    platform::_bstr_t owned(text);
    platform::BSTR argument = owned.GetBSTR();
    platform::LONG value = 0;
    form.OnControlEvent(&argument, &value);
  }

  platform::ScopedClock clock_{std::make_unique<platform::VirtualClock>()};
  std::unique_ptr<MainWindowStub> main_;
};

TEST_F(UsbAccessFormTest, EveryListedTextPostsItsMessage) {
  Run([](CUSBAccessForm& form) {
    for (const char* text : {"ReadComplete:General", "ReadComplete:Read", "ReadComplete:Write",
                             "WriteComplete:General", "WriteComplete:Read", "WriteComplete:Write",
                             "PnPAddNotification:General", "PnpRemoveNotification:General"}) {
      Tell(form, text);
    }
  });
  EXPECT_THAT(
      main_->received,
      ElementsAre(Received{WM_UPG_READ_COMPLETE, 0, 0}, Received{WM_UPG_READ_COMPLETE, 0, 0},
                  Received{WM_UPG_READ_COMPLETE, 0, 0}, Received{WM_UPG_WRITE_COMPLETE, 0, 0},
                  Received{WM_UPG_WRITE_COMPLETE, 0, 0}, Received{WM_UPG_WRITE_COMPLETE, 0, 0},
                  Received{WM_UPG_DEVICE_ARRIVED, 0, 0}, Received{WM_UPG_DEVICE_REMOVED, 0, 0}));
}

TEST_F(UsbAccessFormTest, OtherTextsAndOtherLetterCasesPostNothing) {
  Run([](CUSBAccessForm& form) {
    for (const char* text :
         {"readcomplete:read", "ReadComplete:read", "PnpAddNotification:General",
          "PnPRemoveNotification:General", "Error:Write", "Error:Open", "ReadComplete:Read ", ""}) {
      Tell(form, text);
    }
    platform::BSTR none = nullptr;
    form.OnControlEvent(&none, nullptr);
  });
  EXPECT_THAT(main_->received, IsEmpty());
}

TEST_F(UsbAccessFormTest, WithoutTheControlEveryCallFailsWithTheCreationResult) {
  outside::usb_access_control::UnregisterUsbAccessControl();
  Run([](CUSBAccessForm& form) {
    ASSERT_EQ(form.Create(CUSBAccessForm::IDD, nullptr), platform::TRUE);
    EXPECT_EQ(form.m_ctlUSBAccess.GetControl(), nullptr);
    try {
      form.m_ctlUSBAccess.InvokeHelper(0x60030010, platform::DISPATCH_METHOD, {});
      ADD_FAILURE() << "a call without a control must fail";
    } catch (const platform::_com_error& error) {
      EXPECT_EQ(error.Error(), platform::REGDB_E_CLASSNOTREG);
    }
  });
}

TEST_F(UsbAccessFormTest, TheHostedControlsEventsReachTheMainWindow) {
  auto bus = std::make_shared<outside::usb::Bus>();
  outside::usb_access_control::ScopedUsbAccessControl control(bus);
  Run([&](CUSBAccessForm& form) {
    ASSERT_EQ(form.Create(CUSBAccessForm::IDD, nullptr), platform::TRUE);
    ASSERT_NE(form.m_ctlUSBAccess.GetControl(), nullptr);
    bus->Attach(
        std::make_shared<outside::console_sim::Console>(outside::console_sim::DeviceScenario{}));
  });
  EXPECT_THAT(main_->received, ElementsAre(Received{WM_UPG_DEVICE_ARRIVED, 0, 0}));
}

}  // namespace
