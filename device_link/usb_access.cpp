#include "device_link/usb_access.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>
#include <utility>

#include "device_link/bus_mail.h"
#include "device_link/link_boxes.h"
#include "device_link/shared_constants.h"
#include "outside/usbio_server/usbio_status.h"
#include "platform/com/bstr.h"
#include "platform/com/com_runtime.h"
#include "platform/com/device_interface_guid.h"
#include "platform/com/variant.h"
#include "platform/thread/message_loop.h"

using outside::usbio_server::IUSBIOComDevicePtr;
using platform::BYTE;
using platform::DWORD;
using platform::LONG;
using platform::SAFEARRAY;
using platform::SafeByteArray;
using platform::UINT;

namespace {

namespace status = outside::usbio_server;

constexpr DWORD kServerContext = platform::CLSCTX_INPROC_SERVER | platform::CLSCTX_INPROC_HANDLER |
                                 platform::CLSCTX_LOCAL_SERVER | platform::CLSCTX_REMOTE_SERVER;

constexpr std::size_t kReportSize = 64;
constexpr LONG kReportLength = static_cast<LONG>(kReportSize);
// Stream parameters of start reading and start writing: report size, buffers, error limit.
constexpr LONG kStreamBuffers = 20;
constexpr LONG kStreamErrorLimit = 5;
constexpr LONG kNoFlags = 0;
constexpr LONG kMaxTransferSize = 65536;
constexpr LONG kConfiguration = 1;
constexpr LONG kStringDescriptorSize = 256;
constexpr LONG kIdentityDescriptor = 2;
constexpr LONG kDefaultLanguage = 0;
constexpr LONG kCommandOut = 0x03;
constexpr LONG kCommandIn = 0x83;
constexpr LONG kFileOut = 0x02;
constexpr LONG kFileIn = 0x82;
constexpr int kPendingReadsAfterCommand = 2;
// Bounds the emptying of the command pipe, so that a device that never stops answering cannot
// hold the worker.
constexpr int kMostWaitingReports = 64;
// Bounds the commands remembered as unanswered, for a console that stops answering.
constexpr std::size_t kMostUnansweredCommands = 16;
// The write stream of a command stays open this long before it is stopped.
constexpr DWORD kCommandWritePauseMs = 200;

// Dispatch ids of the USB access control.
constexpr platform::DISPID kDispidOpen = 0x60030006;
constexpr platform::DISPID kDispidCommandInEndpoint = 0x68030005;
constexpr platform::DISPID kDispidCommandOutEndpoint = 0x68030004;
constexpr platform::DISPID kDispidFileInEndpoint = 0x68030002;
constexpr platform::DISPID kDispidFileOutEndpoint = 0x68030003;
constexpr platform::DISPID kDispidSwitchOn = 0x68030001;
constexpr platform::DISPID kDispidIdentify = 0x60030007;
constexpr platform::DISPID kDispidBindCommandPipes = 0x60030009;
constexpr platform::DISPID kDispidStartFilePipes = 0x6003000b;
constexpr platform::DISPID kDispidWrite = 0x6003000d;
constexpr platform::DISPID kDispidClose = 0x60030010;
constexpr platform::DISPID kDispidConfigure = 0x60030011;
constexpr platform::DISPID kDispidRead = 0x60030012;
constexpr platform::DISPID kDispidReset = 0x60030013;

constexpr char kCannotCreateInstance[] = "Can't Create USBIO Instance.....";

// Lends an owned array to a call through a variant passed by reference; owns whatever array
// the variant holds afterwards (the callee may replace it).
class LentArray {
 public:
  explicit LentArray(SafeByteArray& owner) : owner_(owner) {
    variant_.vt = platform::VT_ARRAY | platform::VT_UI1;
    variant_.parray = owner.Detach();
  }
  LentArray(const LentArray&) = delete;
  LentArray& operator=(const LentArray&) = delete;
  ~LentArray() {
    const bool holds_array = variant_.vt == (platform::VT_ARRAY | platform::VT_UI1);
    owner_ = SafeByteArray::Attach(holds_array ? variant_.parray : nullptr);
  }

  platform::_variant_t ByRef() { return platform::_variant_t::ByRef(&variant_); }

 private:
  SafeByteArray& owner_;
  platform::VARIANT variant_;
};

// The same for a call that takes the array slot itself.
class LentSlot {
 public:
  explicit LentSlot(SafeByteArray& owner) : owner_(owner), slot_(owner.Detach()) {}
  LentSlot(const LentSlot&) = delete;
  LentSlot& operator=(const LentSlot&) = delete;
  ~LentSlot() { owner_ = SafeByteArray::Attach(slot_); }

  SAFEARRAY** Address() { return &slot_; }

 private:
  SafeByteArray& owner_;
  SAFEARRAY* slot_;
};

LONG AsLong(const platform::_variant_t& result) {
  if (result.vt == platform::VT_EMPTY) {
    return 0;
  }
  platform::VARIANT converted;
  platform::ThrowIfFailed(platform::VariantChangeType(&converted, &result, 0, platform::VT_I4));
  return converted.lVal;
}

std::string TextOfDescriptor(std::span<const BYTE> bytes) {
  std::u16string text;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const auto unit = static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8U));
    if (unit == 0) {
      break;
    }
    text.push_back(unit);
  }
  return platform::Utf16ToUtf8(text);
}

}  // namespace

CUSBAccess::CUSBAccess() : m_pApp(&GetApplicationLink()) {
  platform::CoInitialize(nullptr);
  CreateInstance(m_pGeneral);
  CreateInstance(m_pWrite);
  CreateInstance(m_pRead);
  m_pReadSink = platform::MakeComObject<CUSBIOEvents>();
  m_pWriteSink = platform::MakeComObject<CUSBIOEvents>();
  m_pGeneralSink = platform::MakeComObject<CUSBIOEvents>();
  EnumerateDevices();
  ConnectSink(*m_pReadSink, m_pRead, m_bReadSinkAdvised);
  ConnectSink(*m_pWriteSink, m_pWrite, m_bWriteSinkAdvised);
  ConnectSink(*m_pGeneralSink, m_pGeneral, m_bGeneralSinkAdvised);
  if (m_pGeneral) {
    LONG registration = 0;
    m_pGeneral.RequestNotifications(platform::g_bstrDeviceInterfaceGuid.GetBSTR(), &registration);
  }
  m_form.Create(CUSBAccessForm::IDD, nullptr);
}

CUSBAccess::~CUSBAccess() {
  // Nothing may escape a destructor; a device that fails to close is let go regardless.
  try {
    CloseDevice();
  } catch (const platform::_com_error&) {
  }
  DisconnectSink(*m_pWriteSink, m_pWrite, m_bWriteSinkAdvised);
  DisconnectSink(*m_pReadSink, m_pRead, m_bReadSinkAdvised);
  DisconnectSink(*m_pGeneralSink, m_pGeneral, m_bGeneralSinkAdvised);
  m_pReadSink.Reset();
  m_pWriteSink.Reset();
  m_pGeneralSink.Reset();
  m_form.DestroyWindow();
  m_pWrite.Reset();
  m_pRead.Reset();
  m_pGeneral.Reset();
}

void CUSBAccess::CreateInstance(IUSBIOComDevicePtr& instance) {
  if (platform::FAILED(instance.CreateInstance(kServerContext))) {
    ShowLinkError(kCannotCreateInstance);
  }
}

void CUSBAccess::ConnectSink(CUSBIOEvents& sink, const IUSBIOComDevicePtr& instance,
                             BYTE& advised) {
  if (instance && platform::SUCCEEDED(sink.DispEventAdvise(instance.Get()))) {
    advised = 1;
  }
}

void CUSBAccess::DisconnectSink(CUSBIOEvents& sink, const IUSBIOComDevicePtr& instance,
                                BYTE& advised) {
  if (advised != 0) {
    sink.DispEventUnadvise(instance.Get());
    advised = 0;
  }
}

LONG CUSBAccess::InvokeControl(platform::DISPID id, std::vector<platform::_variant_t> args) {
  return AsLong(m_form.m_ctlUSBAccess.InvokeHelper(id, platform::DISPATCH_METHOD, std::move(args)));
}

void CUSBAccess::PutControlProperty(platform::DISPID id, platform::_variant_t value) {
  m_form.m_ctlUSBAccess.InvokeHelper(id, platform::DISPATCH_PROPERTYPUT, {std::move(value)});
}

void CUSBAccess::EnumerateDevices() {
  m_nState = USB_STATE_IDLE;
  if (m_pGeneral) {
    LONG count = 0;
    m_pGeneral.Enumerate(platform::g_bstrDeviceInterfaceGuid.GetBSTR(), &count);
  }
}

bool CUSBAccess::OpenAccepted(const IUSBIOComDevicePtr& instance, int index) {
  LONG open_status = 0;
  const platform::HRESULT hr = instance.Open(index, &open_status);
  return open_status == status::kStatusOpenShared ||
         (hr == platform::S_OK && open_status == status::kStatusSuccess);
}

void CUSBAccess::CloseInstances(std::initializer_list<const IUSBIOComDevicePtr*> instances) {
  // Closing an instance that could not be made has nothing to do.
  for (const IUSBIOComDevicePtr* instance : instances) {
    if (*instance) {
      instance->Close();
    }
  }
}

int CUSBAccess::OpenUSBDevice(int device_number) {
  m_nState = USB_STATE_IDLE;
  if (UsesControl()) {
    LONG number = device_number;
    InvokeControl(kDispidOpen, {platform::_variant_t::ByRef(&number)});
    PutControlProperty(kDispidCommandInEndpoint, kCommandIn);
    PutControlProperty(kDispidCommandOutEndpoint, kCommandOut);
    PutControlProperty(kDispidFileInEndpoint, kFileIn);
    PutControlProperty(kDispidFileOutEndpoint, kFileOut);
    PutControlProperty(kDispidSwitchOn, platform::_variant_t(true));
    return kDeviceOpen;
  }
  CloseInstances({&m_pGeneral, &m_pRead, &m_pWrite});
  LONG count = 0;
  if (m_pGeneral) {
    m_pGeneral.Enumerate(platform::g_bstrDeviceInterfaceGuid.GetBSTR(), &count);
  }
  if (device_number == kSearchDevice) {
    return FindDevice(count) == kNoDevice ? kNoDevice : kDeviceOpen;
  }
  for (const IUSBIOComDevicePtr* instance : {&m_pRead, &m_pWrite, &m_pGeneral}) {
    if (!OpenAccepted(*instance, device_number)) {
      return kNoDevice;
    }
  }
  return kDeviceOpen;
}

int CUSBAccess::FindDevice(int device_count) {
  if (UsesControl()) {
    LONG count = device_count;
    return InvokeControl(kDispidIdentify, {platform::_variant_t::ByRef(&count)});
  }
  CloseInstances({&m_pGeneral, &m_pRead, &m_pWrite});
  LONG count = device_count;
  if (count == kSearchDevice) {
    m_pGeneral.Enumerate(platform::g_bstrDeviceInterfaceGuid.GetBSTR(), &count);
  }
  for (int index = 0; index < count; ++index) {
    if (!OpenAccepted(m_pGeneral, index)) {
      continue;
    }
    if (ReadStringDescriptor().find(g_strDeviceId) == std::string::npos) {
      continue;
    }
    LONG ignored = 0;
    m_pRead.Open(index, &ignored);
    m_pWrite.Open(index, &ignored);
    return index;
  }
  return kNoDevice;
}

std::string CUSBAccess::ReadStringDescriptor() {
  SafeByteArray descriptor(static_cast<platform::ULONG>(kStringDescriptorSize));
  LONG size = kStringDescriptorSize;
  LONG descriptor_status = 0;
  platform::HRESULT hr = platform::S_OK;
  {
    LentSlot slot(descriptor);
    hr = m_pGeneral.GetStringDescriptor(slot.Address(), &size, kIdentityDescriptor,
                                        kDefaultLanguage, &descriptor_status);
  }
  if (hr != platform::S_OK || descriptor_status != status::kStatusSuccess) {
    return {};
  }
  return TextOfDescriptor(descriptor.Bytes());
}

DWORD CUSBAccess::CheckStatus(platform::HRESULT result, int /*instance*/, LONG status) const {
  if (UsesControl()) {
    return 0;
  }
  return static_cast<DWORD>(result) | static_cast<DWORD>(status);
}

int CUSBAccess::ConfigureDevice() {
  m_nState = USB_STATE_IDLE;
  // The preamble runs on both paths; the control path does without instances that are missing.
  for (const IUSBIOComDevicePtr* instance : {&m_pWrite, &m_pRead}) {
    if (*instance || !UsesControl()) {
      instance->ClearInterfaceParameters();
    }
  }
  if (UsesControl()) {
    return InvokeControl(kDispidConfigure);
  }
  const std::pair<const IUSBIOComDevicePtr*, int> instances[] = {{&m_pWrite, kWriteInstance},
                                                                 {&m_pRead, kReadInstance}};
  for (const auto& [instance, instance_id] : instances) {
    LONG parameters_status = 0;
    const platform::HRESULT hr =
        instance->SetInterfaceParameters(0, 0, kMaxTransferSize, &parameters_status);
    if (CheckStatus(hr, instance_id, parameters_status) != 0) {
      return kConfigureFailed;
    }
  }
  LONG select_status = 0;
  const platform::HRESULT hr = m_pWrite.SelectConfiguration(kConfiguration, &select_status);
  if (CheckStatus(hr, kWriteInstance, select_status) != 0 &&
      select_status != status::kStatusConfigurationAlreadySet) {
    return kConfigureFailed;
  }
  return 0;
}

int CUSBAccess::BindPipes(LONG out_endpoint, LONG in_endpoint, std::optional<LONG> tolerated) {
  const std::tuple<const IUSBIOComDevicePtr*, int, LONG> bindings[] = {
      {&m_pWrite, kWriteInstance, out_endpoint}, {&m_pRead, kReadInstance, in_endpoint}};
  for (const auto& [instance, instance_id, endpoint] : bindings) {
    LONG bind_status = 0;
    const platform::HRESULT hr = instance->Bind(endpoint, &bind_status);
    if (CheckStatus(hr, instance_id, bind_status) != 0 && bind_status != tolerated) {
      return kBindFailed;
    }
  }
  LONG setup_status = 0;
  m_pWrite.ResetPipe(&setup_status);
  m_pRead.ResetPipe(&setup_status);
  return 0;
}

int CUSBAccess::BindCommandPipes() {
  m_nState = USB_STATE_IDLE;
  if (UsesControl()) {
    const LONG bound = InvokeControl(kDispidBindCommandPipes);
    DiscardWaitingReports();
    return bound;
  }
  // Setting the pipes up empties them here.
  return BindPipes(kCommandOut, kCommandIn, status::kStatusPipeAlreadyBound);
}

void CUSBAccess::DiscardWaitingReports() {
  // A report still waiting answers an earlier request (one that timed out, or a repeated
  // reply); read as the reply to the next command it would answer the wrong request.
  for (int read = 0; read < kMostWaitingReports; ++read) {
    platform::VARIANT_BOOL taken = platform::VARIANT_FALSE;
    LentArray lent(m_psaRead);
    InvokeControl(kDispidRead, {lent.ByRef(), platform::_variant_t::BoolByRef(&taken)});
    if (taken == platform::VARIANT_FALSE) return;
  }
}

int CUSBAccess::StartFileStreams() {
  if (UsesControl()) {
    return InvokeControl(kDispidStartFilePipes);
  }
  if (BindPipes(kFileOut, kFileIn, std::nullopt) != 0) {
    return kBindFailed;
  }
  LONG stream_status = 0;
  m_pRead.StartReading(kReportLength, kStreamBuffers, kStreamErrorLimit, &stream_status);
  m_pWrite.StartWriting(kReportLength, kStreamBuffers, kStreamErrorLimit, kNoFlags, &stream_status);
  return 0;
}

int CUSBAccess::CreateTransferArrays(std::span<const BYTE> report) {
  m_psaWrite = SafeByteArray(static_cast<platform::ULONG>(kReportSize));
  m_psaRead = SafeByteArray(static_cast<platform::ULONG>(kReportSize));
  const std::size_t count = std::min(report.size(), kReportSize);
  std::copy_n(report.begin(), count, m_psaWrite.Bytes().begin());
  return 0;
}

void CUSBAccess::DestroyTransferArrays() {
  m_psaWrite = SafeByteArray();
  m_psaRead = SafeByteArray();
}

int CUSBAccess::SendCommand(const _STRUCT_USB_COMMAND* command) {
  m_nState = USB_STATE_AWAITING_REPLY;
  m_nPendingReads = kPendingReadsAfterCommand;
  const platform::UINT code = static_cast<platform::UINT>(command->nCommand);
  CBusMail mail;
  platform::UINT length = 0;
  if (m_pApp->m_mapRequestLength.Lookup(code, length) == platform::FALSE) {
    return kUnknownCommand;
  }
  if (command->arrPayload.size() != length) {
    // Nothing goes out; the reply time-out of the main window ends the wait.
    return 0;
  }
  mail.BuildRequest(command->arrPayload, ToCommandCodeBytes(code));
  std::vector<BYTE> report = mail.m_arrRequest;
  report.resize(kReportSize, 0);
  CreateTransferArrays(report);
  if (UsesControl()) {
    RememberCommandSent(command->nCommand);
    LentArray lent(m_psaWrite);
    return InvokeControl(kDispidWrite, {lent.ByRef()});
  }
  LONG stream_status = 0;
  m_pRead.StartReading(kReportLength, kStreamBuffers, kStreamErrorLimit, &stream_status);
  m_pWrite.StartWriting(kReportLength, kStreamBuffers, kStreamErrorLimit, kNoFlags, &stream_status);
  m_pWrite.Write(m_psaWrite.Get(), kNoFlags, &stream_status);
  RememberCommandSent(command->nCommand);
  platform::Sleep(kCommandWritePauseMs);
  m_pWrite.StopWriting();
  DestroyTransferArrays();
  return 0;
}

void CUSBAccess::RememberCommandSent(int command) {
  if (m_nCommand != 0) {
    m_unansweredCommands.push_back(m_nCommand);
    if (m_unansweredCommands.size() > kMostUnansweredCommands) m_unansweredCommands.pop_front();
  }
  m_nCommand = command;
}

bool CUSBAccess::TakeLateReply(const std::vector<BYTE>& report) {
  const UINT reply_code = UINT{report[0]} * 256 + report[1];
  const auto answered =
      std::find_if(m_unansweredCommands.begin(), m_unansweredCommands.end(), [&](int command) {
        UINT expected = 0;
        return m_pApp->m_mapResponseCode.Lookup(static_cast<UINT>(command), expected) != 0 &&
               expected == reply_code;
      });
  if (answered == m_unansweredCommands.end()) return false;
  m_unansweredCommands.erase(m_unansweredCommands.begin(), std::next(answered));
  return true;
}

DWORD CUSBAccess::ReadReport(std::vector<BYTE>& report, BYTE& valid) {
  if (UsesControl()) {
    platform::VARIANT_BOOL taken = platform::VARIANT_FALSE;
    {
      LentArray lent(m_psaRead);
      InvokeControl(kDispidRead, {lent.ByRef(), platform::_variant_t::BoolByRef(&taken)});
    }
    if (taken == platform::VARIANT_FALSE) {
      return kNoReport;
    }
    if (m_nPendingReads != 0) {
      --m_nPendingReads;
    }
  } else {
    LONG read_status = 0;
    {
      LentSlot slot(m_psaRead);
      m_pRead.Read(slot.Address(), kReportLength, &read_status);
    }
    if (read_status == status::kStatusNoReport) {
      return kNoReport;
    }
    if (m_nPendingReads == 0) {
      m_pRead.StopReading();
    } else {
      --m_nPendingReads;
    }
  }
  // A shorter array leaves the rest of the report zero.
  const std::span<const BYTE> bytes = std::as_const(m_psaRead).Bytes();
  std::vector<BYTE> read(kReportSize, 0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), kReportSize), read.begin());
  if (m_nState == USB_STATE_AWAITING_REPLY) {
    const CBusMail mail;
    const bool answers_command =
        mail.DecodeResponse(read, static_cast<UINT>(m_nCommand)) == CBusMail::kResultOk;
    // A reply that answers an earlier request, not the command sent, leaves that one waiting.
    if (!answers_command && TakeLateReply(read)) {
      return kLateReplyDropped;
    }
    valid = answers_command ? 1 : 0;
    m_nCommand = 0;
  }
  report = std::move(read);
  return kReportTaken;
}

bool CUSBAccess::ResetDevice() {
  if (UsesControl()) {
    return InvokeControl(kDispidReset) != 0;
  }
  if (!m_pGeneral) {
    return false;
  }
  LONG reset_status = 0;
  m_pGeneral.ResetDevice(&reset_status);
  return reset_status == status::kStatusSuccess;
}

int CUSBAccess::CloseDevice() {
  if (UsesControl()) {
    InvokeControl(kDispidClose);
  } else {
    DisconnectSink(*m_pReadSink, m_pRead, m_bReadSinkAdvised);
    DisconnectSink(*m_pWriteSink, m_pWrite, m_bWriteSinkAdvised);
    DisconnectSink(*m_pGeneralSink, m_pGeneral, m_bGeneralSinkAdvised);
    if (m_pWrite) {
      LONG close_status = 0;
      m_pWrite.UnbindPipe(&close_status);
      m_pWrite.Unconfigure(&close_status);
    }
    CloseInstances({&m_pRead, &m_pWrite, &m_pGeneral});
  }
  m_nState = USB_STATE_IDLE;
  return 0;
}
