// The USB access control stand-in against simulated consoles, invoked by dispatch id the way
// the device link's transport invokes it.

#include <gtest/gtest.h>

#include <string>

#include "outside/console_sim/frame.h"
#include "outside/usb_access_control/usb_access_interfaces.h"
#include "outside/usb_access_control/usb_access_registration.h"
#include "platform/com/safe_array.h"
#include "tests/integration/outside/standin_test_support.h"

namespace {

using namespace standin_test;
using namespace outside::usb_access_control;

using ControlSink = RecordingSink<_DUSBAccessEvents>;

constexpr char kControlClassId[] = "{74A35C0E-7D04-46B4-AACC-62540C31C112}";
constexpr LONG kSearch = -1;

class UsbAccessControlTest : public StandinTest {
 protected:
  ~UsbAccessControlTest() override {
    RunFor(kSettle);  // queued events must not reach the next test
  }

  void Install(std::vector<sim::DeviceScenario> devices) {
    MakeBus(std::move(devices));
    registration_ = std::make_unique<ScopedUsbAccessControl>(bus_);
    ASSERT_EQ(CreateHostedControl(kControlClassId, control_), S_OK);
    sink_ = MakeComObject<ControlSink>();
    ASSERT_NE(Advise(*control_, DIID__DUSBAccessEvents, *sink_->GetUnknown()), 0U);
  }

  _variant_t Call(DISPID id, const DISPPARAMS& params = {}) {
    _variant_t result;
    EXPECT_EQ(control_->Invoke(id, DISPATCH_METHOD, params, &result), S_OK) << std::hex << id;
    return result;
  }
  HRESULT Put(DISPID id, _variant_t value) {
    DISPPARAMS params;
    params.args.push_back(std::move(value));
    return control_->Invoke(id, DISPATCH_PROPERTYPUT, params, nullptr);
  }

  SHORT Open(LONG& device_number) {
    return Call(kDispidOpen, {{_variant_t::ByRef(&device_number)}}).iVal;
  }
  // What the transport does to open the console and get it ready for commands.
  void OpenForCommands(LONG device_number, bool events = true) {
    Open(device_number);
    Put(kDispidCommandInEndpoint, LONG{0x83});
    Put(kDispidCommandOutEndpoint, LONG{0x03});
    Put(kDispidFileInEndpoint, LONG{0x82});
    Put(kDispidFileOutEndpoint, LONG{0x02});
    Put(kDispidEventsEnabled, events);
    EXPECT_EQ(Call(kDispidConfigure).iVal, 0);
    EXPECT_EQ(Call(kDispidBindCommandPipes).iVal, 0);
  }
  SHORT Identify(LONG& count) { return Call(kDispidIdentify, {{_variant_t::ByRef(&count)}}).iVal; }
  SHORT Write(std::uint16_t code) {
    SafeByteArray report(sim::FrameReport(code, {}));
    _variant_t held(std::move(report));
    return Call(kDispidWrite, {{_variant_t::ByRef(static_cast<VARIANT*>(&held))}}).iVal;
  }
  // Reads as the transport does: a variant by reference that holds the read array.
  LONG Read(SafeByteArray& report, VARIANT_BOOL& taken) {
    _variant_t held(std::move(report));
    const LONG bytes =
        Call(kDispidRead,
             {{_variant_t::ByRef(static_cast<VARIANT*>(&held)), _variant_t::BoolByRef(&taken)}})
            .lVal;
    VARIANT back = held.Detach();
    report = SafeByteArray::Attach(back.parray);
    return bytes;
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ReceivedEvent& event : sink_->received) {
      texts.push_back(_bstr_t(event.args.at(0).bstrVal).Utf8());
    }
    return texts;
  }

  std::unique_ptr<ScopedUsbAccessControl> registration_;
  ComPtr<IDispatch> control_;
  ComPtr<ControlSink> sink_;
};

TEST_F(UsbAccessControlTest, HostCreatesTheControlByItsClassId) {
  MakeBus({ConsoleDevice()});
  ComPtr<IDispatch> control;
  EXPECT_EQ(CreateHostedControl(kControlClassId, control), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(control);
  EXPECT_EQ(CreateHostedControl("USBAccess", control), E_INVALIDARG);

  ScopedUsbAccessControl registration(bus_);
  ASSERT_EQ(CreateHostedControl(kControlClassId, control), S_OK);
  _variant_t result;
  EXPECT_EQ(control->Invoke(0x60030099, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(control->Invoke(kDispidClose, DISPATCH_PROPERTYPUT, {}, &result),
            DISP_E_MEMBERNOTFOUND);
}

TEST_F(UsbAccessControlTest, IdentifyFindsTheConsoleBehindForeignAndRefusingDevices) {
  sim::DeviceScenario refusing = ConsoleDevice();
  refusing.refuse_open = true;
  Install({ForeignDevice(), refusing, ConsoleDevice()});
  LONG count = kSearch;
  EXPECT_EQ(Identify(count), 2);
  EXPECT_EQ(count, 3) << "the count asked for is written back";

  count = 2;
  EXPECT_EQ(Identify(count), -2) << "only the first two devices are looked at";

  LONG device_number = kSearch;
  EXPECT_EQ(Open(device_number), 0);
  EXPECT_EQ(device_number, 2);
}

TEST_F(UsbAccessControlTest, CommandIsAnsweredWithOneReadCompleteOnTheCreatingThread) {
  Install({ConsoleDevice()});
  OpenForCommands(0);

  EXPECT_EQ(Write(kEnableUsb), 0);
  EXPECT_TRUE(sink_->received.empty()) << "raised inside the write";
  RunFor(kSettle);
  const std::vector<std::string> texts = Texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "ReadComplete:Read"), 1);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "WriteComplete:Write"), 1);
  EXPECT_EQ(texts.size(), 2U);
  for (const ReceivedEvent& event : sink_->received) {
    EXPECT_EQ(event.id, kDispidControlEvent);
    EXPECT_EQ(event.thread_id, GetCurrentThreadId());
    EXPECT_EQ(event.args.at(1).lVal, 0) << "the device number";
  }

  SafeByteArray report(64);
  VARIANT_BOOL taken = VARIANT_FALSE;
  EXPECT_EQ(Read(report, taken), 64);
  EXPECT_EQ(taken, VARIANT_TRUE);
  const auto bytes = report.Bytes();
  EXPECT_EQ(bytes[6] | bytes[7] << 8, kEnableUsb + 0x100);

  EXPECT_EQ(Read(report, taken), 0);
  EXPECT_EQ(taken, VARIANT_FALSE);
}

TEST_F(UsbAccessControlTest, ReadReplacesAnArrayTooSmallForAReport) {
  Install({ConsoleDevice()});
  OpenForCommands(0);
  Write(kGetDspVersion);
  SafeByteArray report(8);
  VARIANT_BOOL taken = VARIANT_FALSE;
  EXPECT_EQ(Read(report, taken), 64);
  ASSERT_EQ(report.Count(), 64U);
  EXPECT_EQ(report.Bytes()[6] | report.Bytes()[7] << 8, kGetDspVersion + 0x100);
}

TEST_F(UsbAccessControlTest, TransferEventsWaitUntilTheHostSwitchesThemOn) {
  Install({ConsoleDevice()});
  OpenForCommands(0, false);
  Write(kEnableUsb);
  RunFor(kSettle);
  EXPECT_TRUE(sink_->received.empty());
  SafeByteArray report(64);
  VARIANT_BOOL taken = VARIANT_FALSE;
  EXPECT_EQ(Read(report, taken), 64) << "the reply is there all the same";
}

TEST_F(UsbAccessControlTest, ForeignDeviceAnswersNothing) {
  Install({ForeignDevice(), ConsoleDevice()});
  OpenForCommands(0);
  EXPECT_EQ(Write(kEnableUsb), 0);
  RunFor(kSettle);
  EXPECT_EQ(Texts(), std::vector<std::string>{"WriteComplete:Write"});
  SafeByteArray report(64);
  VARIANT_BOOL taken = VARIANT_TRUE;
  EXPECT_EQ(Read(report, taken), 0);
  EXPECT_EQ(taken, VARIANT_FALSE);
  EXPECT_EQ(ConsoleAt(0).Received().size(), 1U);
}

TEST_F(UsbAccessControlTest, ResetKeepsTheConsoleOnTheBusWithoutEvents) {
  Install({ConsoleDevice()});
  EXPECT_EQ(Call(kDispidReset).boolVal, VARIANT_FALSE) << "nothing open";
  OpenForCommands(0);
  EXPECT_EQ(Call(kDispidReset).boolVal, VARIANT_TRUE);
  RunFor(kSettle);
  EXPECT_TRUE(sink_->received.empty());
  EXPECT_EQ(bus_->Count(), 1U);

  // Unconfigured by the reset, the console takes no report until configured again.
  EXPECT_EQ(Write(kEnableUsb), -1);
  RunFor(kSettle);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Error:Write"});
  EXPECT_EQ(Call(kDispidConfigure).iVal, 0);
  EXPECT_EQ(Write(kEnableUsb), 0);
  EXPECT_EQ(ConsoleAt(0).Received(),
            (std::vector<std::string>{"reset", "request 0xD0AA payload=\"\""}));
}

TEST_F(UsbAccessControlTest, ArrivalsAndTheRemovalOfTheOpenDeviceAreNotified) {
  sim::DeviceScenario leaving = ConsoleDevice();
  leaving.remove_after = kResetCommand;
  Install({ForeignDevice(), leaving});
  OpenForCommands(1);

  bus_->Attach(std::make_shared<sim::Console>(ForeignDevice()));
  bus_->Remove(*bus_->At(2));
  RunFor(kSettle);
  ASSERT_EQ(Texts(), std::vector<std::string>{"PnPAddNotification:General"});
  EXPECT_EQ(sink_->received[0].args.at(1).lVal, 2) << "the index of the new device";

  EXPECT_EQ(Write(kResetCommand), 0);
  RunFor(kSettle);
  // Events come in the order the device reports: the reply, then its removal; the write's
  // own completion follows them.
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"PnPAddNotification:General", "ReadComplete:Read",
                                      "PnpRemoveNotification:General", "WriteComplete:Write"}));
  EXPECT_EQ(sink_->received[2].args.at(1).lVal, 1) << "the number of the device removed";
  SafeByteArray report(64);
  VARIANT_BOOL taken = VARIANT_FALSE;
  EXPECT_EQ(Read(report, taken), 64) << "the reply given before the removal stays readable";
}

TEST_F(UsbAccessControlTest, OpenAndBindFailWithoutADevice) {
  Install({ForeignDevice()});
  LONG device_number = kSearch;
  EXPECT_EQ(Open(device_number), -1);
  EXPECT_EQ(device_number, -2);
  EXPECT_EQ(Call(kDispidConfigure).iVal, -1);
  EXPECT_EQ(Call(kDispidBindFilePipes).iVal, -1);
  EXPECT_EQ(Write(kEnableUsb), -1);
  RunFor(kSettle);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Error:Open"});
  EXPECT_EQ(sink_->received[0].args.at(1).lVal, -2);

  device_number = 0;
  Open(device_number);
  Put(kDispidFileInEndpoint, LONG{0x82});
  Put(kDispidFileOutEndpoint, LONG{0x02});
  EXPECT_EQ(Call(kDispidBindFilePipes).iVal, 0);
  EXPECT_EQ(Put(kDispidFileInEndpoint, LONG{0x02}), E_INVALIDARG) << "an IN end needs bit 7";
  EXPECT_EQ(Put(kDispidCommandOutEndpoint, LONG{0x183}), E_INVALIDARG);
}

}  // namespace
