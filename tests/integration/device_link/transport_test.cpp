// CUSBAccess on both transports against simulated consoles: commands, replies, search, open
// and the statuses the server path accepts.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "device_link/bus_mail.h"
#include "device_link/upgrade_messages.h"
#include "device_link/usb_access.h"
#include "outside/usbio_server/usbio_status.h"
#include "platform/com/com_error.h"
#include "platform/com/com_runtime.h"
#include "tests/integration/device_link/link_fixture.h"

namespace link_test {
namespace {

using platform::BYTE;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr BYTE kControl = 1;
constexpr BYTE kServer = 0;

class TransportTest : public LinkTest, public ::testing::WithParamInterface<BYTE> {
 protected:
  // Runs `body` with a transport made on the calling thread, whose main window is `main`.
  void WithTransport(const std::function<void(CUSBAccess& usb, MainWindowStub& main)>& body) {
    RunAsPlatformThread([&] {
      MainWindowStub main;
      platform::WinThread::Current()->m_pMainWnd = main.GetSafeHwnd();
      {
        CUSBAccess usb;
        app_.m_bControlTransport = GetParam();
        body(usb, main);
      }
      platform::CoUninitialize();
    });
  }

  static void OpenForCommands(CUSBAccess& usb, int device_number = 0) {
    ASSERT_EQ(usb.OpenUSBDevice(device_number), CUSBAccess::kDeviceOpen);
    usb.ConfigureDevice();
    usb.BindCommandPipes();
  }

  static int Send(CUSBAccess& usb, int code, std::vector<BYTE> payload = {}) {
    const _STRUCT_USB_COMMAND command{code, std::move(payload)};
    return usb.SendCommand(&command);
  }

  // Waits until the main window has been told of `count` reports read.
  static bool AwaitReads(MainWindowStub& main, std::size_t count) {
    return PumpUntil([&] { return main.Count(WM_UPG_READ_COMPLETE) >= count; });
  }

  // Opens the console, sends `codes` one after another without reading a reply, and waits
  // until `replies` reports are ready.
  static void SendWithoutReading(CUSBAccess& usb, MainWindowStub& main,
                                 std::initializer_list<int> codes, std::size_t replies) {
    OpenForCommands(usb);
    for (const int code : codes) ASSERT_EQ(Send(usb, code), 0);
    ASSERT_TRUE(AwaitReads(main, replies));
  }

  static constexpr BYTE kUntouched = 9;
  struct Read {
    platform::DWORD result = 0;
    std::vector<BYTE> report;
    BYTE valid = kUntouched;
  };
  static Read ReadOne(CUSBAccess& usb) {
    Read read;
    read.result = usb.ReadReport(read.report, read.valid);
    return read;
  }
};

std::string TransportName(const ::testing::TestParamInfo<BYTE>& param_info) {
  return param_info.param == kControl ? "Control" : "Server";
}

INSTANTIATE_TEST_SUITE_P(BothTransports, TransportTest, ::testing::Values(kControl, kServer),
                         TransportName);

TEST_P(TransportTest, AnUnknownCodeGivesFourAndWritesNothing) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& /*main*/) {
    OpenForCommands(usb);
    EXPECT_EQ(Send(usb, 0x1234), CUSBAccess::kUnknownCommand);
    EXPECT_EQ(Send(usb, 0xD020), CUSBAccess::kUnknownCommand);
  });
  EXPECT_THAT(SpyAt(0).Writes(kCommandOut), IsEmpty());
}

TEST_P(TransportTest, APayloadOfTheWrongLengthIsNotSentAndTheReplyIsAwaited) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    OpenForCommands(usb);
    EXPECT_EQ(Send(usb, 0xD00B, {1, 2, 3}), 0);
    EXPECT_EQ(Send(usb, 0xD002, {1}), 0);
    EXPECT_EQ(usb.m_nState, USB_STATE_AWAITING_REPLY);
    EXPECT_EQ(usb.m_nPendingReads, 2);
    PumpFor(5000);
    EXPECT_EQ(main.Count(WM_UPG_READ_COMPLETE), 0U);
  });
  EXPECT_THAT(SpyAt(0).Writes(kCommandOut), IsEmpty());
}

TEST_P(TransportTest, ACommandGoesOutAsItsFramePaddedToOneReport) {
  Attach({});
  std::vector<BYTE> params(32);
  for (std::size_t at = 0; at < params.size(); ++at) {
    params[at] = static_cast<BYTE>(at + 1);
  }
  WithTransport([&](CUSBAccess& usb, MainWindowStub& /*main*/) {
    OpenForCommands(usb);
    EXPECT_EQ(Send(usb, 0xD002), 0);
    EXPECT_EQ(Send(usb, 0xD00B, params), 0);
  });
  const auto writes = SpyAt(0).Writes(kCommandOut);
  ASSERT_EQ(writes.size(), 2U);
  std::vector<BYTE> plain = {0x10, 0x00, 0x05, 0x18, 0x0F, 0x02, 0x02, 0xD0, 0xFB};
  plain.resize(64, 0);
  EXPECT_THAT(writes[0], ElementsAreArray(plain));

  CBusMail mail;
  mail.BuildRequest(params, ToCommandCodeBytes(0xD00B));
  std::vector<BYTE> framed = mail.m_arrRequest;
  ASSERT_EQ(framed.size(), 41U);
  framed.resize(64, 0);
  EXPECT_THAT(writes[1], ElementsAreArray(framed));
  EXPECT_THAT(ConsoleAt(0).Received(), ElementsAre("request 0xD002 payload=\"\"",
                                                   HasSubstr("request 0xD00B payload=\"01 02")));
}

TEST_P(TransportTest, TheReplyIsReadDecodedAndCheckedAgainstTheCommand) {
  console_sim::DeviceScenario console;
  console.faults.push_back({0xD003, console_sim::FaultKind::kWrongCode, 1, 0});
  Attach(console);
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    OpenForCommands(usb);
    ASSERT_EQ(Send(usb, 0xD002), 0);
    ASSERT_TRUE(AwaitReads(main, 1));
    std::vector<BYTE> report;
    BYTE valid = 9;
    EXPECT_EQ(usb.ReadReport(report, valid), 0U);
    ASSERT_EQ(report.size(), 64U);
    EXPECT_THAT(std::vector<BYTE>(report.begin(), report.begin() + 4),
                ElementsAre(0xD1, 0x02, 0x11, 0x15));
    EXPECT_EQ(valid, 1);
    EXPECT_EQ(usb.m_nCommand, 0);

    OpenForCommands(usb);
    ASSERT_EQ(Send(usb, 0xD003), 0);
    ASSERT_TRUE(AwaitReads(main, 2));
    EXPECT_EQ(usb.ReadReport(report, valid), 0U);
    EXPECT_EQ(valid, 0);
    EXPECT_THAT(std::vector<BYTE>(report.begin(), report.begin() + 2), ElementsAre(0xD0, 0x03));
  });
}

TEST_P(TransportTest, AReplyLeftUnreadIsDroppedBeforeTheNextCommandGoesOut) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    OpenForCommands(usb);
    ASSERT_EQ(Send(usb, 0xD002), 0);
    ASSERT_TRUE(AwaitReads(main, 1));

    // Its request timed out, say: the next command must not take it as its own reply.
    OpenForCommands(usb);
    ASSERT_EQ(Send(usb, 0xD003), 0);
    ASSERT_TRUE(AwaitReads(main, 2));
    std::vector<BYTE> report;
    BYTE valid = 9;
    EXPECT_EQ(usb.ReadReport(report, valid), 0U);
    EXPECT_EQ(valid, 1);
    EXPECT_THAT(std::vector<BYTE>(report.begin(), report.begin() + 2), ElementsAre(0xD1, 0x03));
  });
}

TEST_P(TransportTest, AReplyToAnEarlierUnansweredRequestIsDroppedAndTheCommandWaitsForItsOwn) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    // 0xD002 goes unanswered (its reply not read) when 0xD003 goes out.
    SendWithoutReading(usb, main, {0xD002, 0xD003}, 2);
    const Read late = ReadOne(usb);
    EXPECT_EQ(late.result, CUSBAccess::kLateReplyDropped);
    EXPECT_THAT(late.report, IsEmpty());
    EXPECT_EQ(late.valid, kUntouched);
    EXPECT_EQ(usb.m_nCommand, 0xD003);
    const Read own = ReadOne(usb);
    EXPECT_EQ(own.result, CUSBAccess::kReportTaken);
    EXPECT_EQ(own.valid, 1);
    EXPECT_THAT(std::vector<BYTE>(own.report.begin(), own.report.begin() + 2),
                ElementsAre(0xD1, 0x03));
  });
}

TEST_P(TransportTest, ARequestSentAgainTakesTheFirstReplyAndTheSecondIsDroppedAsLate) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    SendWithoutReading(usb, main, {0xD002, 0xD002}, 2);
    const Read first = ReadOne(usb);
    EXPECT_EQ(first.result, CUSBAccess::kReportTaken);
    EXPECT_EQ(first.valid, 1);
    EXPECT_EQ(ReadOne(usb).result, CUSBAccess::kLateReplyDropped);
    EXPECT_THAT(usb.m_unansweredCommands, IsEmpty());
  });
}

TEST_P(TransportTest, AReportThatAnswersNoRequestSentIsAFailedReplyAndForgetsNothing) {
  console_sim::DeviceScenario console;
  console.faults.push_back({0xD002, console_sim::FaultKind::kNoReply, 1, 0});
  console.faults.push_back({0xD003, console_sim::FaultKind::kWrongCode, 1, 0});
  Attach(console);
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    SendWithoutReading(usb, main, {0xD002, 0xD003}, 1);
    const Read wrong = ReadOne(usb);
    EXPECT_EQ(wrong.result, CUSBAccess::kReportTaken);
    EXPECT_EQ(wrong.valid, 0);
    EXPECT_THAT(std::vector<BYTE>(wrong.report.begin(), wrong.report.begin() + 2),
                ElementsAre(0xD0, 0x03));
    EXPECT_THAT(usb.m_unansweredCommands, ElementsAre(0xD002));
  });
}

TEST_P(TransportTest, ALateReplyForgetsTheUnansweredRequestsSentBeforeIt) {
  console_sim::DeviceScenario console;
  console.faults.push_back({0xD001, console_sim::FaultKind::kNoReply, 1, 0});
  Attach(console);
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    SendWithoutReading(usb, main, {0xD001, 0xD002, 0xD003}, 2);
    EXPECT_EQ(ReadOne(usb).result, CUSBAccess::kLateReplyDropped);
    // 0xD001's reply, were it still to come, would have come before 0xD002's.
    EXPECT_THAT(usb.m_unansweredCommands, IsEmpty());
    const Read own = ReadOne(usb);
    EXPECT_EQ(own.result, CUSBAccess::kReportTaken);
    EXPECT_EQ(own.valid, 1);
  });
}

TEST_P(TransportTest, AReportReadWhileNoReplyIsAwaitedIsNotDecoded) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    OpenForCommands(usb);
    ASSERT_EQ(Send(usb, 0xD002), 0);
    ASSERT_TRUE(AwaitReads(main, 1));
    usb.m_nState = USB_STATE_IDLE;
    std::vector<BYTE> report;
    BYTE valid = 9;
    EXPECT_EQ(usb.ReadReport(report, valid), 0U);
    EXPECT_EQ(valid, 9);
    // As it came: start byte, length, fixed bytes, then the reply code low byte first.
    EXPECT_THAT(std::vector<BYTE>(report.begin(), report.begin() + 8),
                ElementsAre(0x10, 0x00, 0x07, 0x18, 0x0F, 0x02, 0x02, 0xD1));
  });
}

TEST_P(TransportTest, ReadsCountDownAfterACommandAndTheServersThirdStopsTheStream) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    OpenForCommands(usb);
    ASSERT_EQ(Send(usb, 0xD001), 0);
    // Two more requests on the same pipes give two more reports to read.
    for (int code : {0xD002, 0xD003}) {
      CBusMail mail;
      mail.BuildRequest({}, ToCommandCodeBytes(static_cast<platform::UINT>(code)));
      mail.m_arrRequest.resize(64, 0);
      if (GetParam() == kControl) {
        platform::SafeByteArray report(mail.m_arrRequest);
        platform::VARIANT holder;
        holder.vt = platform::VT_ARRAY | platform::VT_UI1;
        holder.parray = report.Get();
        usb.m_form.m_ctlUSBAccess.InvokeHelper(0x6003000d, platform::DISPATCH_METHOD,
                                               {platform::_variant_t::ByRef(&holder)});
      } else {
        platform::LONG status = 0;
        usb.m_pWrite.StartWriting(64, 20, 5, 0, &status);
        usb.m_pWrite.Write(platform::SafeByteArray(mail.m_arrRequest).Get(), 0, &status);
      }
    }
    ASSERT_TRUE(AwaitReads(main, 3));
    std::vector<BYTE> report;
    BYTE valid = 0;
    std::vector<int> pending;
    for (int read = 0; read < 3; ++read) {
      ASSERT_EQ(usb.ReadReport(report, valid), 0U);
      pending.push_back(usb.m_nPendingReads);
    }
    EXPECT_THAT(pending, ElementsAre(1, 0, 0));
    if (GetParam() == kServer) {
      EXPECT_THROW(usb.ReadReport(report, valid), platform::_com_error);
    } else {
      // Nothing is left to read: nothing is taken.
      report.clear();
      valid = 9;
      EXPECT_EQ(usb.ReadReport(report, valid), CUSBAccess::kNoReport);
      EXPECT_THAT(report, IsEmpty());
      EXPECT_EQ(valid, 9);
    }
  });
}

TEST_P(TransportTest, TheSearchFindsTheConsoleBehindAForeignDevice) {
  Attach(ForeignDevice());
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& main) {
    EXPECT_EQ(usb.FindDevice(CUSBAccess::kSearchDevice), 1);
    EXPECT_EQ(usb.OpenUSBDevice(CUSBAccess::kSearchDevice), CUSBAccess::kDeviceOpen);
    usb.ConfigureDevice();
    usb.BindCommandPipes();
    ASSERT_EQ(Send(usb, 0xD0AA), 0);
    EXPECT_TRUE(AwaitReads(main, 1));
  });
  EXPECT_THAT(SpyAt(0).Writes(kCommandOut), IsEmpty());
  EXPECT_THAT(ConsoleAt(1).Received(), ElementsAre("request 0xD0AA payload=\"\""));
}

TEST_P(TransportTest, OpenResults) {
  console_sim::DeviceScenario refusing;
  refusing.refuse_open = true;
  Attach(refusing);
  WithTransport([&](CUSBAccess& usb, MainWindowStub& /*main*/) {
    const int expected_refusal =
        GetParam() == kControl ? CUSBAccess::kDeviceOpen : CUSBAccess::kNoDevice;
    // The control's open is taken as done whatever it answered.
    EXPECT_EQ(usb.OpenUSBDevice(0), expected_refusal);
    EXPECT_EQ(usb.OpenUSBDevice(3), expected_refusal);
    EXPECT_EQ(usb.OpenUSBDevice(CUSBAccess::kSearchDevice), expected_refusal);
    EXPECT_EQ(usb.FindDevice(CUSBAccess::kSearchDevice), CUSBAccess::kNoDevice);
    EXPECT_EQ(usb.m_nState, USB_STATE_IDLE);
  });
}

TEST_P(TransportTest, ResetLeavesTheConsoleOnTheBus) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& /*main*/) {
    ASSERT_EQ(usb.OpenUSBDevice(0), CUSBAccess::kDeviceOpen);
    usb.ConfigureDevice();
    EXPECT_TRUE(usb.ResetDevice());
  });
  EXPECT_THAT(ConsoleAt(0).Received(), ElementsAre("reset"));
}

class ServerPathTest : public TransportTest {};
INSTANTIATE_TEST_SUITE_P(ServerOnly, ServerPathTest, ::testing::Values(kServer), TransportName);

TEST_P(ServerPathTest, TheStatusesThatConfigurationAndBindingAccept) {
  Attach({});
  WithTransport([&](CUSBAccess& usb, MainWindowStub& /*main*/) {
    // The second and third instance find the device open already (0xE000A010).
    ASSERT_EQ(usb.OpenUSBDevice(0), CUSBAccess::kDeviceOpen);
    EXPECT_EQ(usb.ConfigureDevice(), 0);
    // Selected already: 0xE0001005 on the last step.
    EXPECT_EQ(usb.ConfigureDevice(), 0);
    EXPECT_EQ(usb.BindCommandPipes(), 0);
    // Bound already: 0xE0001008 is taken for the command pipes, not for the file pipes.
    EXPECT_EQ(usb.BindCommandPipes(), 0);
    EXPECT_EQ(usb.StartFileStreams(), CUSBAccess::kBindFailed);

    ASSERT_EQ(usb.OpenUSBDevice(0), CUSBAccess::kDeviceOpen);
    EXPECT_EQ(usb.ConfigureDevice(), 0);
    EXPECT_EQ(usb.StartFileStreams(), 0);
  });
}

}  // namespace
}  // namespace link_test
