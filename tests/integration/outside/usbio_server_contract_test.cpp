// The USBIO server stand-in against simulated consoles, called the way the device link and the
// device check call it.

#include <gtest/gtest.h>

#include <string>

#include "outside/console_sim/frame.h"
#include "outside/usbio_server/usbio_device_ptr.h"
#include "outside/usbio_server/usbio_registration.h"
#include "outside/usbio_server/usbio_status.h"
#include "platform/com/com_error.h"
#include "platform/com/device_interface_guid.h"
#include "platform/com/safe_array.h"
#include "tests/integration/outside/standin_test_support.h"

namespace {

using namespace standin_test;
using namespace outside::usbio_server;

using UsbioSink = RecordingSink<_IUSBIOInterfaceEvents3>;

constexpr LONG kCommandOut = 0x03;
constexpr LONG kCommandIn = 0x83;
constexpr LONG kFileOut = 0x02;
constexpr LONG kFileIn = 0x82;
constexpr LONG kReport = 64;
constexpr LONG kBuffers = 20;
constexpr LONG kErrors = 5;
constexpr LONG kDescriptorBuffer = 256;

class UsbioServerTest : public StandinTest {
 protected:
  ~UsbioServerTest() override {
    RunFor(kSettle);  // queued events must not reach the next test
  }

  void Install(std::vector<sim::DeviceScenario> devices) {
    MakeBus(std::move(devices));
    server_ = std::make_unique<ScopedUsbioServer>(bus_);
  }

  IUSBIOComDevicePtr NewInstance() {
    IUSBIOComDevicePtr instance;
    EXPECT_EQ(instance.CreateInstance(CLSCTX_ALL), S_OK);
    return instance;
  }

  static LONG OpenStatus(const IUSBIOComDevicePtr& instance, LONG index) {
    LONG status = 0;
    EXPECT_EQ(instance.Open(index, &status), S_OK);
    return status;
  }

  static void Configure(const IUSBIOComDevicePtr& instance) {
    LONG status = 0;
    instance.ClearInterfaceParameters();
    instance.SetInterfaceParameters(0, 0, 65536, &status);
    instance.SelectConfiguration(1, &status);
  }

  // The transport's command set-up: Write on 0x03, Read on 0x83, both streams started.
  void OpenCommandPipes(LONG index) {
    LONG status = 0;
    writer_.Open(index, &status);
    reader_.Open(index, &status);
    Configure(writer_);
    ASSERT_EQ(writer_.Bind(kCommandOut, &status), S_OK);
    ASSERT_EQ(reader_.Bind(kCommandIn, &status), S_OK);
    reader_.StartReading(kReport, kBuffers, kErrors, &status);
    writer_.StartWriting(kReport, kBuffers, kErrors, 0, &status);
  }

  LONG WriteReport(const usb::Report& report) {
    SafeByteArray array(report);
    LONG status = -1;
    EXPECT_EQ(writer_.Write(array.Get(), 0, &status), S_OK);
    return status;
  }

  LONG WriteCommand(std::uint16_t code) { return WriteReport(sim::FrameReport(code, {})); }

  // Reads one report from the Read instance into `report`; the status.
  LONG ReadReport(SafeByteArray& report) {
    LONG status = -1;
    SAFEARRAY* array = report.Detach();
    EXPECT_EQ(reader_.Read(&array, kReport, &status), S_OK);
    report = SafeByteArray::Attach(array);
    return status;
  }

  static std::uint16_t ReplyCode(const SafeByteArray& report) {
    const auto bytes = report.Bytes();
    return static_cast<std::uint16_t>(bytes[6] | bytes[7] << 8);
  }

  ComPtr<UsbioSink> SinkOn(const IUSBIOComDevicePtr& instance) {
    auto sink = MakeComObject<UsbioSink>();
    EXPECT_NE(Advise(*instance.Get(), DIID__IUSBIOInterfaceEvents3, *sink->GetUnknown()), 0U);
    return sink;
  }

  static std::size_t CountOf(const UsbioSink& sink, DISPID id) {
    return static_cast<std::size_t>(std::count_if(sink.received.begin(), sink.received.end(),
                                                  [id](const auto& e) { return e.id == id; }));
  }

  std::unique_ptr<ScopedUsbioServer> server_;
  IUSBIOComDevicePtr writer_;
  IUSBIOComDevicePtr reader_;
};

TEST_F(UsbioServerTest, WithoutRegistrationNoInstanceIsMade) {
  MakeBus({ConsoleDevice()});
  IUSBIOComDevicePtr instance;
  EXPECT_EQ(instance.CreateInstance(CLSCTX_ALL), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(instance);
  EXPECT_THROW(instance.Close(), _com_error);
}

TEST_F(UsbioServerTest, EnumerateCountsTheDevicesOfTheClassOnly) {
  Install({ForeignDevice(), ConsoleDevice(), ConsoleDevice()});
  const IUSBIOComDevicePtr instance = NewInstance();
  LONG count = -1;
  EXPECT_EQ(instance.Enumerate(g_bstrDeviceInterfaceGuid.GetBSTR(), &count), S_OK);
  EXPECT_EQ(count, 3);

  const _bstr_t upper_case("{325DDF96-938C-11D3-9E34-0080C82727F4}");
  instance.Enumerate(upper_case.GetBSTR(), &count);
  EXPECT_EQ(count, 3);

  const _bstr_t other_class("{00000000-938c-11d3-9e34-0080c82727f4}");
  instance.Enumerate(other_class.GetBSTR(), &count);
  EXPECT_EQ(count, 0);
}

TEST_F(UsbioServerTest, OpenSharesADeviceAndReportsWhatCannotBeOpened) {
  sim::DeviceScenario refusing = ConsoleDevice();
  refusing.refuse_open = true;
  Install({ConsoleDevice(), refusing});
  const IUSBIOComDevicePtr first = NewInstance();
  const IUSBIOComDevicePtr second = NewInstance();

  EXPECT_EQ(OpenStatus(first, 0), kStatusSuccess) << "a single opener, as the device check is";
  EXPECT_EQ(OpenStatus(second, 0), kStatusOpenShared);
  EXPECT_EQ(OpenStatus(second, 1), kStatusOpenRefused);
  EXPECT_EQ(OpenStatus(second, 2), kStatusNoSuchDevice);
  EXPECT_EQ(OpenStatus(second, -1), kStatusNoSuchDevice);

  // Once every holder has let go, the next open is a first one again.
  first.Close();
  EXPECT_EQ(OpenStatus(second, 0), kStatusSuccess);
}

TEST_F(UsbioServerTest, StringDescriptorComesInItsWireForm) {
  Install({ForeignDevice(), ConsoleDevice()});
  const IUSBIOComDevicePtr instance = NewInstance();
  OpenStatus(instance, 1);

  SafeByteArray buffer(kDescriptorBuffer);
  buffer.Bytes()[200] = 0xAA;  // the server leaves nothing of the caller's bytes behind it
  SAFEARRAY* array = buffer.Get();
  LONG size = kDescriptorBuffer;
  LONG status = -1;
  ASSERT_EQ(instance.GetStringDescriptor(&array, &size, 2, 0, &status), S_OK);
  EXPECT_EQ(status, kStatusSuccess);

  const std::string identity(sim::kConsoleIdentity);
  const auto bytes = buffer.Bytes();
  ASSERT_EQ(size, static_cast<LONG>(2 + 2 * identity.size()));
  EXPECT_EQ(bytes[0], size);
  EXPECT_EQ(bytes[1], 3);
  // Read as the callers do: UTF-16 up to the first zero character, header character first.
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    if (unit == 0) break;
    text.push_back(unit);
  }
  EXPECT_EQ(text.substr(1), Utf8ToUtf16(identity));
  EXPECT_EQ(bytes[200], 0);

  OpenStatus(instance, 0);
  size = kDescriptorBuffer;
  instance.GetStringDescriptor(&array, &size, 2, 0, &status);
  EXPECT_EQ(size, static_cast<LONG>(2 + 2 * std::string(kForeignIdentity).size()));
  EXPECT_EQ(bytes[2], 'U');

  size = kDescriptorBuffer;
  instance.GetStringDescriptor(&array, &size, 1, 0, &status);
  EXPECT_EQ(status, kStatusNoSuchDescriptor);
  EXPECT_EQ(size, 0);
}

TEST_F(UsbioServerTest, ConfigurationNeedsParametersAndSaysWhenAlreadySet) {
  Install({ConsoleDevice()});
  const IUSBIOComDevicePtr instance = NewInstance();
  OpenStatus(instance, 0);
  LONG status = 0;

  try {
    instance.SelectConfiguration(1, &status);
    FAIL() << "selecting without interface parameters must fail";
  } catch (const _com_error& error) {
    EXPECT_EQ(error.Error(), USBIO_E_NOT_PREPARED);
    EXPECT_EQ(error.InterfaceId(), IUSBIOComDevice::kIid);
  }

  EXPECT_THROW(instance.SetInterfaceParameters(0, 0, kReport - 1, &status), _com_error);
  EXPECT_EQ(instance.SetInterfaceParameters(0, 0, 65536, &status), S_OK);
  EXPECT_EQ(status, kStatusSuccess);
  EXPECT_EQ(instance.SelectConfiguration(1, &status), S_OK);
  EXPECT_EQ(status, kStatusSuccess);
  EXPECT_EQ(instance.SelectConfiguration(1, &status), S_OK);
  EXPECT_EQ(status, kStatusConfigurationAlreadySet);
  EXPECT_THROW(instance.SelectConfiguration(2, &status), _com_error);

  // The preamble forgets the parameters.
  instance.ClearInterfaceParameters();
  EXPECT_THROW(instance.SelectConfiguration(1, &status), _com_error);
}

TEST_F(UsbioServerTest, BindingKeepsOnePipePerInstance) {
  Install({ConsoleDevice()});
  const IUSBIOComDevicePtr instance = NewInstance();
  LONG status = 0;
  EXPECT_THROW(instance.Bind(kCommandOut, &status), _com_error) << "no device open";
  EXPECT_EQ(status, kStatusNotOpen);

  OpenStatus(instance, 0);
  EXPECT_THROW(instance.Bind(0x05, &status), _com_error);
  EXPECT_EQ(status, kStatusNoSuchEndpoint);
  EXPECT_EQ(instance.Bind(kCommandOut, &status), S_OK);
  EXPECT_EQ(status, kStatusSuccess);
  EXPECT_EQ(instance.Bind(kCommandOut, &status), S_OK);
  EXPECT_EQ(status, kStatusPipeAlreadyBound);
  EXPECT_EQ(instance.Bind(kFileOut, &status), S_OK);
  EXPECT_EQ(status, kStatusPipeAlreadyBound) << "the pipe stays on 0x03";

  instance.UnbindPipe(&status);
  EXPECT_EQ(status, kStatusSuccess);
  instance.Bind(kFileOut, &status);
  EXPECT_EQ(status, kStatusSuccess);
  // Closing lets the pipe go with the device.
  instance.Close();
  OpenStatus(instance, 0);
  instance.Bind(kFileOut, &status);
  EXPECT_EQ(status, kStatusSuccess);
}

TEST_F(UsbioServerTest, CommandIsAnsweredOnItsInPipeWithOneEventOnTheCreatingThread) {
  Install({ConsoleDevice()});
  writer_ = NewInstance();
  reader_ = NewInstance();
  OpenCommandPipes(0);
  const auto read_sink = SinkOn(reader_);
  const auto write_sink = SinkOn(writer_);

  EXPECT_EQ(WriteCommand(kEnableUsb), kStatusWriteAnswered);
  EXPECT_TRUE(read_sink->received.empty()) << "raised inside the write";
  EXPECT_TRUE(write_sink->received.empty()) << "raised inside the write";

  RunFor(kSettle);
  ASSERT_EQ(read_sink->received.size(), 1U);
  const ReceivedEvent& event = read_sink->received[0];
  EXPECT_EQ(event.id, kEventReadComplete);
  EXPECT_EQ(event.thread_id, GetCurrentThreadId());
  ASSERT_EQ(event.args.size(), 1U);
  ComPtr<IUSBIOComDevice> raiser;
  ASSERT_EQ(ComPtr<IUnknown>(event.object).As(raiser), S_OK);
  EXPECT_EQ(raiser.Get(), reader_.Get());
  EXPECT_EQ(CountOf(*write_sink, kEventWriteComplete), 1U);
  EXPECT_EQ(write_sink->received.size(), 1U);

  SafeByteArray report(kReport);
  EXPECT_EQ(ReadReport(report), kStatusSuccess);
  EXPECT_EQ(ReplyCode(report), kEnableUsb + 0x100);

  // Nothing more waits: the caller's array is left as it was.
  report.Bytes()[0] = 0x5A;
  EXPECT_EQ(ReadReport(report), kStatusNoReport);
  EXPECT_EQ(report.Bytes()[0], 0x5A);
  EXPECT_EQ(ConsoleAt(0).Received(), std::vector<std::string>{"request 0xD0AA payload=\"\""});
}

TEST_F(UsbioServerTest, SlowReplyIsReadableWhenItsEventComes) {
  sim::DeviceScenario slow = ConsoleDevice();
  slow.faults.push_back({kGetDspVersion, sim::FaultKind::kDelay, 1, 1500});
  Install({slow});
  writer_ = NewInstance();
  reader_ = NewInstance();
  OpenCommandPipes(0);
  const auto read_sink = SinkOn(reader_);

  EXPECT_EQ(WriteCommand(kGetDspVersion), kStatusSuccess) << "the answer is not there at once";
  SafeByteArray report(kReport);
  EXPECT_EQ(ReadReport(report), kStatusNoReport);
  RunFor(1000);
  EXPECT_TRUE(read_sink->received.empty());
  RunFor(1000);
  ASSERT_EQ(read_sink->received.size(), 1U);
  EXPECT_EQ(ReadReport(report), kStatusSuccess);
  EXPECT_EQ(ReplyCode(report), kGetDspVersion + 0x100);
}

TEST_F(UsbioServerTest, FileStreamIsAnsweredBlockByBlock) {
  Install({ConsoleDevice()});
  writer_ = NewInstance();
  reader_ = NewInstance();
  LONG status = 0;
  writer_.Open(0, &status);
  reader_.Open(0, &status);
  Configure(writer_);
  writer_.Bind(kFileOut, &status);
  reader_.Bind(kFileIn, &status);
  writer_.ResetPipe(&status);
  reader_.ResetPipe(&status);
  reader_.StartReading(kReport, kBuffers, kErrors, &status);
  writer_.StartWriting(kReport, kBuffers, kErrors, 0, &status);
  // As during a download: no sink is connected, so no event is queued.
  const auto late_sink = MakeComObject<UsbioSink>();

  constexpr int kBlocks = 3;
  for (int block = 1; block <= kBlocks; ++block) {
    usb::Report bytes{};
    bytes.fill(static_cast<BYTE>(block));
    EXPECT_EQ(WriteReport(bytes), kStatusWriteAnswered);
    SafeByteArray answer(kReport);
    ASSERT_EQ(ReadReport(answer), kStatusSuccess);
    EXPECT_EQ(answer.Bytes()[0], 0x06);
    EXPECT_EQ(answer.Bytes()[1], block) << "the console counts the blocks of the stream";
    EXPECT_EQ(ReadReport(answer), kStatusNoReport);
  }
  writer_.StopWriting();
  reader_.StopReading();

  Advise(*reader_.Get(), DIID__IUSBIOInterfaceEvents3, *late_sink->GetUnknown());
  RunFor(kSettle);
  EXPECT_TRUE(late_sink->received.empty());
  const std::vector<std::string> received = ConsoleAt(0).Received();
  ASSERT_EQ(received.size(), 1U);
  EXPECT_EQ(received[0].rfind("file bytes=192 sha256=", 0), 0U) << received[0];
}

TEST_F(UsbioServerTest, FailingOperationsReturnNegativeResults) {
  Install({ConsoleDevice()});
  writer_ = NewInstance();
  reader_ = NewInstance();
  LONG status = 0;
  SafeByteArray report(kReport);
  SAFEARRAY* array = report.Get();

  EXPECT_EQ(reader_.Get()->Read(&array, kReport, &status), USBIO_E_NOT_OPEN);
  EXPECT_EQ(status, kStatusNotOpen);
  reader_.Open(0, &status);
  EXPECT_EQ(reader_.Get()->Read(&array, kReport, &status), USBIO_E_NO_PIPE);
  reader_.Bind(kCommandIn, &status);
  EXPECT_EQ(reader_.Get()->Read(&array, kReport, &status), USBIO_E_NOT_STARTED);
  EXPECT_EQ(reader_.Get()->Read(&array, 32, &status), E_INVALIDARG);
  EXPECT_EQ(reader_.Get()->StartReading(kReport, 0, kErrors, &status), E_INVALIDARG);
  EXPECT_EQ(reader_.Get()->Read(nullptr, kReport, &status), E_POINTER);

  // The device takes nothing while it is not configured.
  writer_.Open(0, &status);
  writer_.Bind(kCommandOut, &status);
  writer_.StartWriting(kReport, kBuffers, kErrors, 0, &status);
  EXPECT_EQ(writer_.Get()->Write(report.Get(), 0, &status), USBIO_E_DEVICE_REFUSED);
  EXPECT_EQ(status, kStatusDeviceRefused);
  EXPECT_EQ(writer_.Get()->Write(report.Get(), 1, &status), E_INVALIDARG);
  EXPECT_TRUE(ConsoleAt(0).Received().empty());

  // Closing never fails, whatever state the instance is in.
  EXPECT_EQ(writer_.UnbindPipe(&status), S_OK);
  EXPECT_EQ(writer_.UnbindPipe(&status), S_OK);
  EXPECT_EQ(status, kStatusNoPipe);
  writer_.Close();
  EXPECT_EQ(writer_.Unconfigure(&status), S_OK);
  EXPECT_EQ(status, kStatusNotOpen);
}

TEST_F(UsbioServerTest, ForeignDeviceTakesACommandButAnswersNothing) {
  Install({ForeignDevice(), ConsoleDevice()});
  writer_ = NewInstance();
  reader_ = NewInstance();
  OpenCommandPipes(0);
  const auto read_sink = SinkOn(reader_);

  EXPECT_EQ(WriteCommand(kEnableUsb), kStatusSuccess);
  RunFor(kSettle);
  EXPECT_TRUE(read_sink->received.empty());
  SafeByteArray report(kReport);
  EXPECT_EQ(ReadReport(report), kStatusNoReport);
  EXPECT_EQ(ConsoleAt(0).Received().size(), 1U);
  EXPECT_TRUE(ConsoleAt(1).Received().empty());
}

TEST_F(UsbioServerTest, ResetKeepsTheConsoleOnTheBusWithoutEvents) {
  Install({ConsoleDevice()});
  const IUSBIOComDevicePtr general = NewInstance();
  LONG status = 0;
  LONG registration = 0;
  general.RequestNotifications(g_bstrDeviceInterfaceGuid.GetBSTR(), &registration);
  general.Open(0, &status);
  Configure(general);
  const auto sink = SinkOn(general);

  EXPECT_EQ(general.ResetDevice(&status), S_OK);
  EXPECT_EQ(status, kStatusSuccess);
  RunFor(kSettle);
  EXPECT_TRUE(sink->received.empty());
  EXPECT_EQ(bus_->Count(), 1U);
  // A reset leaves the device unconfigured: the next selection is a real one.
  general.SetInterfaceParameters(0, 0, 65536, &status);
  general.SelectConfiguration(1, &status);
  EXPECT_EQ(status, kStatusSuccess);
  EXPECT_EQ(ConsoleAt(0).Received(), std::vector<std::string>{"reset"});
}

TEST_F(UsbioServerTest, NotificationsTellOfArrivalsAndOfTheOwnDevicesRemoval) {
  sim::DeviceScenario leaving = ConsoleDevice();
  leaving.remove_after = kResetCommand;
  Install({ForeignDevice(), leaving});
  const IUSBIOComDevicePtr general = NewInstance();
  LONG status = 0;
  LONG registration = 0;
  const auto sink = SinkOn(general);
  const auto reader_sink = MakeComObject<UsbioSink>();
  EXPECT_THROW(general.RequestNotifications(nullptr, &registration), _com_error);
  general.RequestNotifications(g_bstrDeviceInterfaceGuid.GetBSTR(), &registration);
  EXPECT_NE(registration, 0);
  general.Open(1, &status);
  writer_ = NewInstance();
  reader_ = NewInstance();
  OpenCommandPipes(1);
  Advise(*reader_.Get(), DIID__IUSBIOInterfaceEvents3, *reader_sink->GetUnknown());

  bus_->Remove(*bus_->At(0));  // another device: none of this instance's business
  bus_->Attach(std::make_shared<sim::Console>(ForeignDevice()));
  RunFor(kSettle);
  ASSERT_EQ(sink->received.size(), 1U);
  EXPECT_EQ(sink->received[0].id, kEventDeviceArrival);

  WriteCommand(kResetCommand);
  RunFor(kSettle);
  ASSERT_EQ(sink->received.size(), 2U);
  EXPECT_EQ(sink->received[1].id, kEventDeviceRemoval);
  EXPECT_EQ(sink->received[1].thread_id, GetCurrentThreadId());
  ComPtr<IUSBIOComDevice> raiser;
  ASSERT_EQ(ComPtr<IUnknown>(sink->received[1].object).As(raiser), S_OK);
  // What the removal handler does with the instance the event passes.
  EXPECT_EQ(raiser->Unconfigure(&status), S_OK);

  // The reply given before the removal can still be taken; it raised its one event.
  EXPECT_EQ(CountOf(*reader_sink, kEventReadComplete), 1U);
  SafeByteArray report(kReport);
  EXPECT_EQ(ReadReport(report), kStatusSuccess);
  EXPECT_EQ(ReplyCode(report), kResetCommand + 0x100);
  EXPECT_THROW(WriteCommand(kEnableUsb), _com_error);
}

}  // namespace
